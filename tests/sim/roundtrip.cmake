# The viewer's settings model written into the simulated instrument and read
# back through its reply intake: both ends of the settings lines agree.
qv_add_test(test_sim_roundtrip SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sim_roundtrip.cpp ${CMAKE_CURRENT_LIST_DIR}/sim_harness.h LIBS qv_sim qv_settings)
