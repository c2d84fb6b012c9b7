qv_add_test(test_finder_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_finder_pty.cpp LIBS qv_link)
if(TARGET kd4620-sim)
  add_dependencies(test_finder_pty kd4620-sim)
endif()
