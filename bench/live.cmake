# The live results benches need the Qt side of the program (the server); without it they are not built.
foreach(bench live_bench live_load_bench)
  if(TARGET vandoret_ui)
    target_link_libraries(${bench} PRIVATE vandoret_ui)
  else()
    set_target_properties(${bench} PROPERTIES EXCLUDE_FROM_ALL ON)
  endif()
endforeach()
target_compile_definitions(live_load_bench PRIVATE VANDORET_BENCH_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
