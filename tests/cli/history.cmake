# The history from a shell: two programs at once on one PostgreSQL, export
# and import, diff of two snapshots, a history that cannot be written.
qv_add_test(test_history_cli SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_history_cli.cpp LIBS qv_testsupport
            TIMEOUT 240 DEPENDS quenvale7400-cli kd4620-sim)
