qv_add_test(test_verification_window_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_verification_window_pty.cpp
            LIBS qv_app qv_sim QCustomPlotQt6::QCustomPlotQt6 TIMEOUT 120)
