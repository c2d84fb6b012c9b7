qv_add_test(test_logging_session SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_logging_session.cpp
            LIBS qv_logging_widgets)
qv_add_test(test_log_page SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_log_page.cpp
            LIBS qv_logging_widgets $<TARGET_NAME_IF_EXISTS:qv_simlink>)
qv_add_test(test_chart_view SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_chart_view.cpp
            LIBS qv_logging_widgets)
qv_add_test(test_compact_log SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_compact_log.cpp LIBS qv_logging_widgets)
