# Typing on the settings pages through the real window, over a
# pseudo-terminal: what the instrument receives, and what the window says.
qv_add_test(test_settings_entry_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_settings_entry_pty.cpp
            LIBS qv_app qv_sim QCustomPlotQt6::QCustomPlotQt6 DEPENDS kd4620-sim)
