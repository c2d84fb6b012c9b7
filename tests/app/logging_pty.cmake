# Logging through the main window over a pseudo-terminal to the simulated
# instrument: page changes, the instrument's scale, a log opened meanwhile.
qv_add_test(test_logging_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_logging_pty.cpp
            LIBS qv_app qv_sim QCustomPlotQt6::QCustomPlotQt6)
