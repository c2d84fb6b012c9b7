qv_add_test(test_frmmain SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_frmmain.cpp LIBS qv_app)
qv_add_test(test_about_help SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_about_help.cpp LIBS qv_app
            DEFINITIONS QV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
qv_add_test(test_frmmain_sim SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_frmmain_sim.cpp LIBS qv_app qv_simlink QCustomPlotQt6::QCustomPlotQt6)
