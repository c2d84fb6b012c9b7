# The history store against SQLite and a throwaway PostgreSQL server, and
# the entries the operator's work leaves over a pseudo-terminal.
qv_add_test(test_history_store SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_history_store.cpp
            ${CMAKE_CURRENT_LIST_DIR}/history_backends.h LIBS qv_history_widgets qv_testsupport TIMEOUT 180)
qv_add_test(test_history_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_history_pty.cpp LIBS qv_history qv_sim
            qv_testsupport TIMEOUT 180)
