# Installs the build into a scratch root and starts the installed viewer.
qv_add_test(test_install SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_install.cpp LIBS qv_link
            DEFINITIONS QV_CMAKE="${CMAKE_COMMAND}" QV_BUILD_DIR="${CMAKE_BINARY_DIR}"
            DEPENDS ${QV_PROGRAM_NAME} kd4620-sim frontpanel_bmp application_icons)
