qv_add_test(test_testpage SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_testpage.cpp LIBS qv_terminal)
