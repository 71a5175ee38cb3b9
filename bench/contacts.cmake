# The contact bench hands events over through a Qt event loop, like the program.
find_package(Qt6 REQUIRED COMPONENTS Core)
target_link_libraries(contacts_bench PRIVATE Qt6::Core)
# Stand-ins for timing operations the core does not define yet (see tests/contacts/extra.cmake).
get_property(_stand_in_defs GLOBAL PROPERTY VANDORET_TIMING_STAND_IN_DEFS)
set(_bench_stand_in ${PROJECT_SOURCE_DIR}/tests/contacts/TimingStandIn.cpp)
target_sources(contacts_bench PRIVATE ${_bench_stand_in})
set_source_files_properties(${_bench_stand_in} PROPERTIES COMPILE_DEFINITIONS "${_stand_in_defs}")
