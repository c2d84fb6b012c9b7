# The real program on a real (virtual) X server: starts, shows its window,
# ends cleanly on SIGTERM. Skipped where xvfb-run is missing.
add_test(NAME program_starts_under_x
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/xvfb_smoke.sh $<TARGET_FILE:${QV_PROGRAM_NAME}>)
set_tests_properties(program_starts_under_x PROPERTIES
  TIMEOUT 60
  SKIP_RETURN_CODE 77
  ENVIRONMENT "XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/tests/runtime;ASAN_OPTIONS=detect_leaks=0")
