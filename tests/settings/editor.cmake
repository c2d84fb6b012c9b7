qv_add_test(test_editor SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_editor.cpp LIBS qv_settings_widgets)
