# Settings read and write against the in-process simulated instrument and a
# scripted line, the transfer ticked by hand while the script watches its progress.
if(TARGET qv_simlink)
  qv_add_test(test_transfer SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_transfer.cpp
              ${CMAKE_CURRENT_LIST_DIR}/test_transfer_rig.h LIBS qv_settings_widgets qv_simlink)
endif()
qv_add_test(test_transfer_engine SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_transfer_engine.cpp LIBS qv_settings_widgets)
