qv_add_test(test_database SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_database.cpp LIBS qv_settings_widgets)
