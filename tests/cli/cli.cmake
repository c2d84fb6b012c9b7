qv_add_test(test_cli SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cli.cpp LIBS qv_calibration qv_logging qv_testsupport
            TIMEOUT 240 SHARDS 8 DEPENDS quenvale7400-cli kd4620-sim
            DEFINITIONS QV_CLI_MANUAL_PAGE="${CMAKE_SOURCE_DIR}/cli/quenvale7400-cli.1")
