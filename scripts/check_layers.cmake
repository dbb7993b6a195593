# Checks the layering of the source tree; run by the tests as
#   cmake -DSOURCE_DIR=<project root> -P scripts/check_layers.cmake
#
# 1. A folder includes only its own headers and those of the folders below it (tests excluded:
#    they may reach any folder they drive).
# 2. The toolkit-free core (script/, dictionary/, editor/, print/) includes no Qt header, neither
#    directly nor through a project header it includes, followed to any depth.
# 3. So do the platform's own Qt-free headers: every platform/*.h not named qt_*.h (the core
#    includes them; Qt stays in the platform's .cpp files and its qt_*.h headers).
# Every breach is listed with its file and line; the script fails when there is any.

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "check_layers: SOURCE_DIR is not set")
endif()

# What each folder may include besides itself.
set(allowed_platform "")
set(allowed_script "platform")
set(allowed_dictionary "script;platform")
set(allowed_editor "script;platform")
set(allowed_print "editor;script;platform")
set(allowed_inputfield "script;platform")
set(allowed_app "inputfield;print;editor;dictionary;script;platform")
set(folders platform script dictionary editor print inputfield app)
set(qt_free script dictionary editor print)

set(breaches "")

# The project headers a file includes (as paths from the root) and its Qt includes ("line:header").
function(scan_file file out_project out_qt)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include")
  set(project "")
  set(qt "")
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      list(APPEND project "${CMAKE_MATCH_1}")
    elseif(line MATCHES "#[ \t]*include[ \t]*<((Q|q)[^>]*)>")
      list(APPEND qt "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set(${out_project} "${project}" PARENT_SCOPE)
  set(${out_qt} "${qt}" PARENT_SCOPE)
endfunction()

# The Qt header reached from `header` through project headers, or "" when there is none.
function(qt_reached header visited out)
  set(${out} "" PARENT_SCOPE)
  if(header IN_LIST visited OR NOT EXISTS "${SOURCE_DIR}/${header}")
    return()
  endif()
  list(APPEND visited "${header}")
  scan_file("${SOURCE_DIR}/${header}" project qt)
  if(qt)
    list(GET qt 0 first)
    set(${out} "${header} includes <${first}>" PARENT_SCOPE)
    return()
  endif()
  foreach(next IN LISTS project)
    qt_reached("${next}" "${visited}" found)
    if(found)
      set(${out} "${header} -> ${found}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

foreach(folder IN LISTS folders)
  file(GLOB sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(source IN LISTS sources)
    file(RELATIVE_PATH rel "${SOURCE_DIR}" "${source}")
    scan_file("${source}" project qt)
    foreach(header IN LISTS project)
      if(header MATCHES "^([a-z_]+)/")
        set(target "${CMAKE_MATCH_1}")
        if(NOT target STREQUAL folder AND NOT target IN_LIST allowed_${folder})
          list(APPEND breaches "${rel}: ${folder}/ may not include ${header}")
        endif()
      endif()
    endforeach()
    if(folder IN_LIST qt_free)
      foreach(header IN LISTS qt)
        list(APPEND breaches "${rel}: includes the Qt header <${header}>")
      endforeach()
      foreach(header IN LISTS project)
        qt_reached("${header}" "" found)
        if(found)
          list(APPEND breaches "${rel}: reaches Qt through ${found}")
        endif()
      endforeach()
    endif()
  endforeach()
endforeach()

# The platform's Qt-free headers.
file(GLOB platform_headers "${SOURCE_DIR}/platform/*.h")
foreach(source IN LISTS platform_headers)
  file(RELATIVE_PATH rel "${SOURCE_DIR}" "${source}")
  get_filename_component(name "${source}" NAME)
  if(name MATCHES "^qt_")
    continue()
  endif()
  qt_reached("${rel}" "" found)
  if(found)
    list(APPEND breaches "${rel}: a Qt-free platform header reaches Qt: ${found}")
  endif()
endforeach()

if(breaches)
  list(REMOVE_DUPLICATES breaches)
  list(JOIN breaches "\n  " text)
  message(FATAL_ERROR "The layering is broken:\n  ${text}")
endif()
message(STATUS "Layers and the Qt-free core are intact")
