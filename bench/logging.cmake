# Sample intake and chart redraw of a logging session with a million points.
add_executable(bench_logging ${CMAKE_CURRENT_LIST_DIR}/bench_logging.cpp)
target_link_libraries(bench_logging PRIVATE qv_logging)
