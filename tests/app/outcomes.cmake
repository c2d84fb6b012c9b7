# Every long operation against every fault of the line, over a
# pseudo-terminal: the outcome it gives and the one message the window shows.
qv_add_test(test_outcomes_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_outcomes_pty.cpp
            LIBS qv_app qv_sim QCustomPlotQt6::QCustomPlotQt6 TIMEOUT 180 SHARDS 3 DEPENDS kd4620-sim)
