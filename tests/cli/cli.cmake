qv_add_test(test_cli SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cli.cpp LIBS qv_calibration qv_logging qv_testsupport
            TIMEOUT 240)
if(TARGET quenvale7400-cli AND TARGET kd4620-sim)
  add_dependencies(test_cli quenvale7400-cli kd4620-sim)
endif()
