# Sample intake and chart redraw of a logging session with a million points.
add_executable(bench_logging ${CMAKE_CURRENT_LIST_DIR}/bench_logging.cpp)
target_link_libraries(bench_logging PRIVATE qv_logging_widgets)
# A long streamed session against an instrument on a serial port, for
# scripts/soak_logging.sh: memory and event-loop stalls every minute.
add_executable(soak_logging ${CMAKE_CURRENT_LIST_DIR}/soak_logging.cpp)
target_link_libraries(soak_logging PRIVATE qv_logging_widgets)
