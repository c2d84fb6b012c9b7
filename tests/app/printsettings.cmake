qv_add_test(test_printsettings SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_printsettings.cpp LIBS qv_app)
