# How long Instrument > History takes to open a timeline of 10,000 entries,
# on SQLite and on a throwaway PostgreSQL server.
add_executable(bench_history ${CMAKE_CURRENT_LIST_DIR}/bench_history.cpp)
target_link_libraries(bench_history PRIVATE qv_history_widgets qv_testsupport)
