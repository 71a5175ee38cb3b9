# The live results bench needs the Qt side of the program (the server); without it it is not built.
if(TARGET vandoret_ui)
  target_link_libraries(live_bench PRIVATE vandoret_ui)
else()
  set_target_properties(live_bench PROPERTIES EXCLUDE_FROM_ALL ON)
endif()
