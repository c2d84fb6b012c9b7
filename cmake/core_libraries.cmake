# Core libraries: the protocol state and logic (session, transfer,
# calibration steps, logging session) that the command-line program and
# headless tests run under a plain QCoreApplication. They must build without
# Qt Widgets: they link no widget or GUI module and use no precompiled
# header (cmake/precompiled_headers.cmake), so a widget header cannot even be
# found, and the check below fails the configure step when one of them
# reaches a widget module through what it links.

set(QV_NOT_FOR_CORE Qt6::Gui Qt6::Widgets Qt6::PrintSupport Qt6::Test QCustomPlotQt6::QCustomPlotQt6)

# qv_core_library(NAME SOURCES...)
function(qv_core_library name)
  add_library(${name} STATIC ${ARGN})
  set_target_properties(${name} PROPERTIES QV_CORE ON)
endfunction()

# qv_core_program(NAME): an existing program that is held to the same rule.
function(qv_core_program name)
  set_target_properties(${name} PROPERTIES QV_CORE ON)
endfunction()

# The first module of QV_NOT_FOR_CORE that `target` reaches through its
# link libraries, as "a -> b -> module"; empty when none.
function(qv_reached_widget_module target path out)
  if(NOT TARGET ${target})
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  if(target IN_LIST QV_NOT_FOR_CORE)
    set(${out} "${path}" PARENT_SCOPE)
    return()
  endif()
  get_target_property(type ${target} TYPE)
  set(links)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(direct ${target} LINK_LIBRARIES)
    if(direct)
      list(APPEND links ${direct})
    endif()
  endif()
  get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
  if(interface)
    list(APPEND links ${interface})
  endif()
  list(REMOVE_DUPLICATES links)
  foreach(link ${links})
    if(link MATCHES "^\\$<" OR link MATCHES "^qv_pch_macros$")
      continue()
    endif()
    qv_reached_widget_module(${link} "${path} -> ${link}" found)
    if(found)
      set(${out} "${found}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

# Run once every folder has been added.
function(qv_check_core_libraries)
  qv_targets_in(${CMAKE_SOURCE_DIR} targets)
  foreach(target ${targets})
    get_target_property(core ${target} QV_CORE)
    if(NOT core)
      continue()
    endif()
    qv_reached_widget_module(${target} ${target} found)
    if(found)
      message(FATAL_ERROR "${target} is a core library and must not use Qt Widgets or GUI modules: ${found}")
    endif()
  endforeach()
endfunction()
