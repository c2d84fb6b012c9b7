# Polls a second a unit of a bus of 1, 4 and 8 units (kd4620-sim --units)
# at 9600 and 38400 baud, against the wire limit.
add_executable(bench_bus ${CMAKE_CURRENT_LIST_DIR}/bench_bus.cpp)
target_link_libraries(bench_bus PRIVATE qv_link)
if(TARGET kd4620-sim)
  add_dependencies(bench_bus kd4620-sim)
endif()
