# The viewer against the simulator program's server on a pseudo-terminal.
qv_add_test(test_sim_viewer_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sim_viewer_pty.cpp
            LIBS qv_app qv_sim QCustomPlotQt6::QCustomPlotQt6)
