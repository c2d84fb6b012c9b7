# The simulated instrument on its own: protocol, weighing, calibration,
# faults, the in-process transport and the program on a pseudo-terminal.
qv_add_test(test_sim_protocol SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sim_protocol.cpp ${CMAKE_CURRENT_LIST_DIR}/sim_harness.h LIBS qv_sim)
qv_add_test(test_sim_weight SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sim_weight.cpp ${CMAKE_CURRENT_LIST_DIR}/sim_harness.h LIBS qv_sim)
qv_add_test(test_sim_calibration SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sim_calibration.cpp ${CMAKE_CURRENT_LIST_DIR}/sim_harness.h LIBS qv_sim)
qv_add_test(test_sim_faults SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sim_faults.cpp ${CMAKE_CURRENT_LIST_DIR}/sim_harness.h LIBS qv_sim)
qv_add_test(test_sim_transport SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sim_transport.cpp LIBS qv_simlink)
qv_add_test(test_sim_program SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sim_program.cpp LIBS qv_sim qv_simports Qt6::SerialPort
            DEPENDS kd4620-sim)
qv_add_test(test_sim_bus SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sim_bus.cpp LIBS qv_sim)
