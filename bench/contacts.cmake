# The contact bench hands events over through a Qt event loop, like the program.
find_package(Qt6 REQUIRED COMPONENTS Core)
target_link_libraries(contacts_bench PRIVATE Qt6::Core)
