qv_add_test(test_reconnect_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_reconnect_pty.cpp
            LIBS qv_app QCustomPlotQt6::QCustomPlotQt6 DEPENDS kd4620-sim)
