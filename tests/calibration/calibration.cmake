qv_add_test(test_calibration_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_calibration_pty.cpp
            LIBS qv_app qv_calibration qv_sim QCustomPlotQt6::QCustomPlotQt6
            TIMEOUT 180 SHARDS 3)
