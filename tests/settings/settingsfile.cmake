qv_add_test(test_settingsfile SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_settingsfile.cpp LIBS qv_settings_widgets)
