qv_add_test(test_tools SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_tools.cpp LIBS qv_settings_widgets)
