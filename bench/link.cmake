# Display poll rate over a pseudo-terminal (also against kd4620-sim paced at
# 1200 baud) and receive-path throughput.
add_executable(bench_link ${CMAKE_CURRENT_LIST_DIR}/bench_link.cpp)
target_link_libraries(bench_link PRIVATE qv_link qv_testsupport)
if(TARGET kd4620-sim)
  add_dependencies(bench_link kd4620-sim)
endif()
