# Saving and loading log files of a million samples, and reading a huge
# settings file that is refused.
add_executable(bench_logfile ${CMAKE_CURRENT_LIST_DIR}/bench_logfile.cpp)
target_link_libraries(bench_logfile PRIVATE qv_logging_widgets)
