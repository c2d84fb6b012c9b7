# The real program under SIGTERM. A generic plugin that Qt loads into it
# works its window as an operator would (see driver/qvdriver.cpp).
add_library(qvdriver MODULE ${CMAKE_CURRENT_LIST_DIR}/driver/qvdriver.cpp)
target_link_libraries(qvdriver PRIVATE Qt6::Widgets)
set_target_properties(qvdriver PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/plugins/generic)
qv_add_test(test_termination SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_termination.cpp LIBS qv_app
            DEPENDS qvdriver ${QV_PROGRAM_NAME} kd4620-sim
            DEFINITIONS QV_DRIVER_DIR="${CMAKE_BINARY_DIR}/tests/plugins")
