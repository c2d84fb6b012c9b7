qv_add_test(test_logfile SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_logfile.cpp LIBS qv_logging_widgets)
qv_add_test(test_logprint SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_logprint.cpp LIBS qv_logging_widgets)
