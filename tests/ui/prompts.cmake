qv_add_test(test_prompts SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_prompts.cpp LIBS qv_ui_widgets)
