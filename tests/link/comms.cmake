qv_add_test(test_comms SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_comms.cpp LIBS qv_link)
