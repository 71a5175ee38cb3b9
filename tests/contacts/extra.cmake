# Contact tests: stand-ins for the timing operations while the core has none, and the
# pseudo-terminal test of the POSIX serial layer under an ioctl shim.

# The start and finish registrations live in the timing code; until the core defines them the
# contact tests link small stand-ins.
file(GLOB _timing_sources ${PROJECT_SOURCE_DIR}/src/timing/*.cpp)
set(_stand_in_defs "")
foreach(_pair "RegisterStart\\(\\)=VANDORET_HAVE_REGISTER_START" "RegisterFinish\\(\\)=VANDORET_HAVE_REGISTER_FINISH"
               "ImageLSClick\\(=VANDORET_HAVE_IMAGE_LS_CLICK")
  string(REPLACE "=" ";" _pair "${_pair}")
  list(GET _pair 0 _name)
  list(GET _pair 1 _def)
  foreach(_f IN LISTS _timing_sources)
    file(STRINGS ${_f} _hits REGEX "Timekeeper::${_name}")
    if(_hits)
      list(APPEND _stand_in_defs ${_def})
      break()
    endif()
  endforeach()
endforeach()
set_property(GLOBAL PROPERTY VANDORET_TIMING_STAND_IN_DEFS "${_stand_in_defs}")
set(_contacts_stand_in ${CMAKE_CURRENT_LIST_DIR}/TimingStandIn.cpp)
if(TARGET test_contacts)
  target_sources(test_contacts PRIVATE ${_contacts_stand_in})
endif()
set_source_files_properties(${_contacts_stand_in} PROPERTIES COMPILE_DEFINITIONS "${_stand_in_defs}")

if(NOT WIN32 AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
  # The shim answers the modem-line ioctls for pseudo-terminals from a state the test sets.
  add_library(vandoret_tty_shim SHARED ${CMAKE_CURRENT_LIST_DIR}/shim/TtyShim.cpp)
  target_link_libraries(vandoret_tty_shim PRIVATE ${CMAKE_DL_LIBS} Threads::Threads)
  # Never instrumented: it is loaded before everything else.
  target_compile_options(vandoret_tty_shim PRIVATE -fno-sanitize=all)
  target_link_options(vandoret_tty_shim PRIVATE -fno-sanitize=all)

  add_executable(test_contacts_tty ${CMAKE_CURRENT_LIST_DIR}/shim/TtyDevice_test.cpp ${_contacts_stand_in})
  target_link_libraries(test_contacts_tty PRIVATE vandoret_fakes GTest::gtest_main ${CMAKE_DL_LIBS})
  add_dependencies(test_contacts_tty vandoret_tty_shim)
  set(_tty_env "LD_PRELOAD=$<TARGET_FILE:vandoret_tty_shim>")
  if(VANDORET_SANITIZE)
    # The sanitizer runtime wants to be first among the loaded libraries; the shim only forwards.
    list(APPEND _tty_env "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=1")
  endif()
  add_test(NAME contacts_tty COMMAND test_contacts_tty)
  set_tests_properties(contacts_tty PROPERTIES LABELS contacts ENVIRONMENT "${_tty_env}" TIMEOUT 60)
endif()
