# The pseudo-terminal test of the POSIX serial layer, under an ioctl shim.

if(NOT WIN32 AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
  # The shim answers the modem-line ioctls for pseudo-terminals from a state the test sets.
  add_library(vandoret_tty_shim SHARED ${CMAKE_CURRENT_LIST_DIR}/shim/TtyShim.cpp
                                      ${CMAKE_CURRENT_LIST_DIR}/shim/ShimFileControl.cpp)
  target_link_libraries(vandoret_tty_shim PRIVATE ${CMAKE_DL_LIBS} Threads::Threads)
  # Never instrumented: it is loaded before everything else.
  target_compile_options(vandoret_tty_shim PRIVATE -fno-sanitize=all)
  target_link_options(vandoret_tty_shim PRIVATE -fno-sanitize=all)

  add_executable(test_contacts_tty ${CMAKE_CURRENT_LIST_DIR}/shim/TtyDevice_test.cpp)
  target_link_libraries(test_contacts_tty PRIVATE vandoret_fakes GTest::gtest_main ${CMAKE_DL_LIBS})
  add_dependencies(test_contacts_tty vandoret_tty_shim)
  set(_tty_env "LD_PRELOAD=set:$<TARGET_FILE:vandoret_tty_shim>")
  if(VANDORET_SANITIZE)
    # The sanitizer runtime wants to be first among the loaded libraries; the shim only forwards.
    list(APPEND _tty_env "ASAN_OPTIONS=string_append::verify_asan_link_order=0")
  endif()
  add_test(NAME contacts_tty COMMAND test_contacts_tty)
  set_tests_properties(contacts_tty PROPERTIES LABELS contacts ENVIRONMENT_MODIFICATION "${_tty_env}" TIMEOUT 60)
endif()

# The Windows cross build: the contacts tests run under wine with the same shim (built for the
# Unix side by scripts/cross-windows) in front of wine's serial driver, driven through a file.
if(VANDORET_CROSS_WINDOWS AND VANDORET_WINE_TTY_SHIM)
  set_tests_properties(test_contacts PROPERTIES ENVIRONMENT
    "LD_PRELOAD=${VANDORET_WINE_TTY_SHIM};VANDORET_SHIM_CONTROL=${CMAKE_BINARY_DIR}/tty-shim-control")
endif()
