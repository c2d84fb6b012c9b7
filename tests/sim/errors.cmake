# The simulated instrument's weighing faults and the lines its program takes
# on standard input.
qv_add_test(test_sim_errors SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sim_errors.cpp ${CMAKE_CURRENT_LIST_DIR}/sim_harness.h
            LIBS qv_sim Qt6::SerialPort DEPENDS kd4620-sim)
