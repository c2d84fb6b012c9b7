# The long operations of the main window against faults of the line, over a
# pseudo-terminal: one cell per operation and fault, a few seconds each,
# mostly spent waiting, so the cells run in shards side by side.
qv_add_test(test_reliability SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_reliability.cpp
            LIBS qv_app qv_sim QCustomPlotQt6::QCustomPlotQt6 TIMEOUT 300 SHARDS 8)
