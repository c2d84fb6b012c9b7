qv_add_test(test_receiver SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_receiver.cpp LIBS qv_link)
qv_add_test(test_session SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session.cpp
            ${CMAKE_CURRENT_LIST_DIR}/test_session_fake.h LIBS qv_link)
qv_add_test(test_session_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_pty.cpp
            ${CMAKE_CURRENT_LIST_DIR}/test_session_instrument.h LIBS qv_link qv_testsupport)
if(TARGET qv_simlink)
  qv_add_test(test_session_sim SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_sim.cpp LIBS qv_link qv_simlink
              DEPENDS kd4620-sim)
endif()
