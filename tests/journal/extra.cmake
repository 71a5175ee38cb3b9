# The kill test's driver program: the core with the real journal writer, killed by the test.

if(NOT WIN32)
  add_executable(journal_kill_driver ${CMAKE_CURRENT_LIST_DIR}/JournalDriver.cpp)
  target_link_libraries(journal_kill_driver PRIVATE vandoret_fakes)
  add_dependencies(test_journal journal_kill_driver)
  target_compile_definitions(test_journal PRIVATE VANDORET_KILL_DRIVER="$<TARGET_FILE:journal_kill_driver>")
endif()
