qv_add_test(test_cli_verify SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cli_verify.cpp LIBS qv_testsupport
            TIMEOUT 180 SHARDS 2 DEPENDS quenvale7400-cli kd4620-sim)
