# The passcode through the real window over a pseudo-terminal.
qv_add_test(test_passcode_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_passcode_pty.cpp
            LIBS qv_app qv_sim QCustomPlotQt6::QCustomPlotQt6)
