# Precompiled Qt headers. Nearly every file includes Qt Widgets, and parsing
# it again for each file was most of the build's time. The chart's header
# and the print and serial modules are left out: they nearly doubled the
# time to load the header, and few files use them. Two headers are made
# once: one with Qt Widgets for the window's libraries and the programs
# (qv_pch), and one with Qt Test for the tests (qv_test_pch, made in the
# tests' folder, whose path Qt Test builds into a macro). Every widget target
# reuses one of them. The core libraries (QV_CORE) use none: they must build
# without Qt Widgets, so they may not see its headers, and their few unity
# files parse Qt Core in less time than a header of their own would take to
# make.
#
# GCC takes a precompiled header only where the macros of the command line
# match those it was made with, and targets differ in the QT_*_LIB macros of
# the Qt modules they link. So every target is given the macros (and the
# include folders) of all of them: only Qt Test's headers look at those
# macros. Where a header still does not match, GCC reads the plain headers
# instead: a mismatch costs speed, never correctness. Clang refuses such a
# header outright: precompiling is left off there (the fuzz build).
set(QV_PCH_DEFAULT OFF)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT QV_FUZZ)
  set(QV_PCH_DEFAULT ON)
endif()
option(QV_PCH "Precompile the Qt and chart headers" ${QV_PCH_DEFAULT})

set(QV_PCH_MODULES Qt6::Widgets Qt6::PrintSupport Qt6::SerialPort QCustomPlotQt6::QCustomPlotQt6)
set(QV_PCH_HEADERS <algorithm> <array> <functional> <memory> <vector> <QtCore> <QtGui> <QtWidgets>)

if(QV_PCH)
  # CMake asks GCC to warn of a header it could not use: a warning, never
  # an error, even where warnings are errors.
  add_compile_options(-Wno-error=invalid-pch)
  add_library(qv_pch_macros INTERFACE)
  foreach(module ${QV_PCH_MODULES})
    target_compile_definitions(qv_pch_macros INTERFACE $<TARGET_PROPERTY:${module},INTERFACE_COMPILE_DEFINITIONS>)
    target_include_directories(qv_pch_macros SYSTEM INTERFACE $<TARGET_PROPERTY:${module},INTERFACE_INCLUDE_DIRECTORIES>)
  endforeach()
endif()

# qv_add_pch(NAME [MODULE...]): a precompiled header of the common headers
# and the given modules' own.
function(qv_add_pch name)
  if(NOT QV_PCH)
    return()
  endif()
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "// The precompiled header is made while compiling this file.\n")
  add_library(${name} OBJECT ${source})
  set_target_properties(${name} PROPERTIES AUTOMOC OFF)
  target_link_libraries(${name} PRIVATE ${QV_PCH_MODULES} ${ARGN})
  set(headers ${QV_PCH_HEADERS})
  foreach(module ${ARGN})
    string(REPLACE "Qt6::" "<Qt" header "${module}>")
    list(APPEND headers ${header})
  endforeach()
  target_precompile_headers(${name} PRIVATE ${headers})
endfunction()

function(qv_targets_in dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    qv_targets_in(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Every C++ target of the project but the core ones reuses a header: the
# tests' one where the target links Qt Test, else the common one.
function(qv_use_pch)
  if(NOT QV_PCH)
    return()
  endif()
  qv_targets_in(${CMAKE_SOURCE_DIR} targets)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    get_target_property(core ${target} QV_CORE)
    if(core OR target MATCHES "^qv_(test_)?pch(_macros)?$" OR NOT type MATCHES "^(STATIC_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      continue()
    endif()
    # A program's Q_OBJECT classes live in its .cpp files, which include
    # their moc output themselves: its moc unit is empty, and loading the
    # header would cost more than compiling it.
    if(type STREQUAL "EXECUTABLE")
      get_target_property(binary_dir ${target} BINARY_DIR)
      set_source_files_properties(${binary_dir}/${target}_autogen/mocs_compilation.cpp TARGET_DIRECTORY ${target}
                                  PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
    endif()
    target_link_libraries(${target} PRIVATE qv_pch_macros)
    get_target_property(libs ${target} LINK_LIBRARIES)
    if("Qt6::Test" IN_LIST libs)
      target_precompile_headers(${target} REUSE_FROM qv_test_pch)
    else()
      target_precompile_headers(${target} REUSE_FROM qv_pch)
    endif()
  endforeach()
endfunction()
