qv_add_test(test_cutlines_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cutlines_pty.cpp
            LIBS qv_app qv_sim QCustomPlotQt6::QCustomPlotQt6)
