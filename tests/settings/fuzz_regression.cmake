# Runs the fuzz targets' entry functions (with their invariants) over the seed
# inputs and a set of nasty lines, so the normal build and CI exercise them
# without clang or libFuzzer.
qv_add_test(test_fuzz_regression
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_fuzz_regression.cpp
          ${CMAKE_SOURCE_DIR}/fuzz/parse_target.cpp
          ${CMAKE_SOURCE_DIR}/fuzz/apply_target.cpp
          ${CMAKE_SOURCE_DIR}/fuzz/calfile_target.cpp
          ${CMAKE_SOURCE_DIR}/fuzz/settings_invariants.cpp
          ${CMAKE_SOURCE_DIR}/fuzz/receiver_target.cpp
          ${CMAKE_SOURCE_DIR}/fuzz/weightline_target.cpp
          ${CMAKE_SOURCE_DIR}/fuzz/inifile_target.cpp
          ${CMAKE_SOURCE_DIR}/fuzz/settingsfile_target.cpp
          ${CMAKE_SOURCE_DIR}/fuzz/logfile_target.cpp
          ${CMAKE_SOURCE_DIR}/fuzz/logcsv_target.cpp
          ${CMAKE_SOURCE_DIR}/fuzz/log_roundtrip.cpp
          ${CMAKE_SOURCE_DIR}/fuzz/scratch_file.cpp
  LIBS qv_logging qv_calibration
  DEFINITIONS QV_FUZZ_SEEDS="${CMAKE_SOURCE_DIR}/fuzz/seeds")
