qv_add_test(test_calfile SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_calfile.cpp ${CMAKE_SOURCE_DIR}/fuzz/calfile_target.cpp
            LIBS qv_calibration)
target_compile_definitions(test_calfile PRIVATE QV_FUZZ_SEEDS="${CMAKE_SOURCE_DIR}/fuzz/seeds")
qv_add_test(test_calbackup_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_calbackup_pty.cpp LIBS qv_app qv_sim)
