# Exporting a log of a million samples as CSV; bench/check_logcsv.py reads
# the CSV back and compares it with the log file written beside it.
add_executable(bench_logcsv ${CMAKE_CURRENT_LIST_DIR}/bench_logcsv.cpp)
target_link_libraries(bench_logcsv PRIVATE qv_logging_widgets)
