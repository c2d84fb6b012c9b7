qv_add_test(test_livedisplay SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_livedisplay.cpp LIBS qv_display qv_link)
