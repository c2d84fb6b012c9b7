# Reading and writing large or garbage initialisation files.
add_executable(bench_inifile ${CMAKE_CURRENT_LIST_DIR}/bench_inifile.cpp)
target_link_libraries(bench_inifile PRIVATE qv_link)
