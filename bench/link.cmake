# Display poll rate over a pseudo-terminal and receive-path throughput.
add_executable(bench_link ${CMAKE_CURRENT_LIST_DIR}/bench_link.cpp)
target_link_libraries(bench_link PRIVATE qv_link qv_testsupport)
