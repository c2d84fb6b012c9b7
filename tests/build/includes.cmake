# Every source file includes what it uses, so that builds without the
# precompiled header or unity files (-DQV_PCH=OFF, the fuzz build, another
# compiler) compile too. Reads the sources and Qt's headers; needs no compiler.
get_target_property(QV_QT_CORE_INCLUDES Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
list(GET QV_QT_CORE_INCLUDES 0 QV_QT_INCLUDE_DIR)
get_filename_component(QV_QT_INCLUDE_DIR ${QV_QT_INCLUDE_DIR} DIRECTORY)
qv_add_test(test_includes SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_includes.cpp
            DEFINITIONS QV_SOURCE_DIR="${CMAKE_SOURCE_DIR}" QV_QT_INCLUDE_DIR="${QV_QT_INCLUDE_DIR}")
