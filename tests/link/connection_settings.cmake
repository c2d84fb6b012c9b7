qv_add_test(test_inifile SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_inifile.cpp LIBS qv_link)
qv_add_test(test_connection_settings SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_connection_settings.cpp
            LIBS qv_link_widgets qv_testsupport)
