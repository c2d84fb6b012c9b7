qv_add_test(test_reconnect_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_reconnect_pty.cpp
            LIBS qv_app QCustomPlotQt6::QCustomPlotQt6)
if(TARGET kd4620-sim)
  add_dependencies(test_reconnect_pty kd4620-sim)
endif()
