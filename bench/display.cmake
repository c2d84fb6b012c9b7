add_executable(bench_display ${CMAKE_CURRENT_LIST_DIR}/bench_display.cpp)
target_link_libraries(bench_display PRIVATE qv_display Qt6::Widgets)
