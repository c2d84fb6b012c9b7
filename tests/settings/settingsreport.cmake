qv_add_test(test_settingsreport SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_settingsreport.cpp LIBS qv_settings_widgets)
