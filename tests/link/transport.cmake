qv_add_test(test_transport SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_transport.cpp LIBS qv_link qv_testsupport)
