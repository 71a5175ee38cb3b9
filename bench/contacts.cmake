# The contact bench hands events over through a Qt event loop, like the program.
find_package(Qt6 REQUIRED COMPONENTS Core)
target_link_libraries(contacts_bench PRIVATE Qt6::Core)
target_include_directories(contacts_bench PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
# On Linux it also runs the real POSIX layer on a pseudo-terminal, under the tests' ioctl shim:
#   LD_PRELOAD=<build>/tests/libvandoret_tty_shim.so <build>/bench/contacts_bench
if(TARGET vandoret_tty_shim)
  target_sources(contacts_bench PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/contacts_pty.cpp)
  target_link_libraries(contacts_bench PRIVATE ${CMAKE_DL_LIBS})
  add_dependencies(contacts_bench vandoret_tty_shim)
endif()
