qv_add_test(test_logfile SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_logfile.cpp LIBS qv_logging)
