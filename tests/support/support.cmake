# Helpers shared by tests of several folders. Not a test itself.
add_library(qv_testsupport STATIC
  ${CMAKE_CURRENT_LIST_DIR}/pg_server.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pg_server.h
  ${CMAKE_CURRENT_LIST_DIR}/pty_peer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pty_peer.h)
target_include_directories(qv_testsupport PUBLIC ${CMAKE_SOURCE_DIR}/tests)
# Qt Test too, so that it shares the tests' precompiled header.
# Compiled on the tests' precompiled header, whose inline functions call
# into every module it declares: whoever links this links those too.
target_link_libraries(qv_testsupport PUBLIC Qt6::Core ${QV_PCH_MODULES} PRIVATE Qt6::Test)

qv_add_test(test_pty_peer SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_pty_peer.cpp LIBS qv_testsupport)
