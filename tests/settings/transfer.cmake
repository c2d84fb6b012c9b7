# Settings read and write: the line engine alone, and the whole transfer
# against the in-process simulated instrument with the progress dialog
# driven tick by tick.
qv_add_test(test_transfer_engine SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_transfer_engine.cpp LIBS qv_settings)
