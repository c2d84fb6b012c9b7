qv_add_test(test_calbackup_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_calbackup_pty.cpp LIBS qv_app qv_sim)
