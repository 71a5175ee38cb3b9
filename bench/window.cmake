# The window bench needs the Qt program's windows; without them it is not built.
if(TARGET vandoret_ui)
  target_link_libraries(window_bench PRIVATE vandoret_ui)
  target_compile_definitions(window_bench PRIVATE VANDORET_SAMPLE_LIST="${CMAKE_SOURCE_DIR}/resources/sample/Starterliste.txt")
else()
  set_target_properties(window_bench PROPERTIES EXCLUDE_FROM_ALL ON)
endif()
