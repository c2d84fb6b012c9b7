qv_add_test(test_finder_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_finder_pty.cpp LIBS qv_link qv_testsupport DEPENDS kd4620-sim)
qv_add_test(test_portwatcher SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_portwatcher.cpp LIBS qv_link)
