# Builds the release archive of a build tree with CPack and checks what it holds: every file
# that must ship is there, and nothing else is (no test stand-in, simulator or driver, nor the
# program's debug information). The archive is also unpacked into <build tree>/release/unpacked
# and its PROGRAM checked: stripped, and linked to DEBUG_FILE (check_stripped.cmake); with
# FLOORS set (the path of LinuxFloors.cmake) the padwright binary in it is checked against its
# floors.
#   cmake -DBUILD_DIR=<build tree> -DCPACK=<cpack> -DARCHIVE=<file name>
#         -DREQUIRED=<a;b;...> -DALLOWED=<regex> -DPROGRAM=<name in the archive>
#         -DDEBUG_FILE=<its debug file> -DOBJDUMP=<objdump> [-DFLOORS=<script>]
#         -P check_release_archive.cmake
cmake_minimum_required(VERSION 3.25)

foreach(var BUILD_DIR CPACK ARCHIVE REQUIRED ALLOWED PROGRAM DEBUG_FILE OBJDUMP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

file(REMOVE ${BUILD_DIR}/release/${ARCHIVE})
execute_process(COMMAND ${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake
                WORKING_DIRECTORY ${BUILD_DIR} RESULT_VARIABLE built OUTPUT_VARIABLE out
                ERROR_VARIABLE out)
if(NOT built EQUAL 0 OR NOT EXISTS ${BUILD_DIR}/release/${ARCHIVE})
  message(FATAL_ERROR "cpack did not make ${ARCHIVE}:\n${out}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${BUILD_DIR}/release/${ARCHIVE}
                RESULT_VARIABLE listed OUTPUT_VARIABLE listing)
if(NOT listed EQUAL 0)
  message(FATAL_ERROR "cannot list ${ARCHIVE}")
endif()
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" entries "${listing}")
string(REGEX REPLACE "\\.(zip|tar\\.gz)$" "" top ${ARCHIVE})
message(STATUS "${ARCHIVE}:\n${listing}")

set(problems "")
foreach(name ${REQUIRED})
  if(NOT "${top}/${name}" IN_LIST entries)
    string(APPEND problems "missing: ${name}\n")
  endif()
endforeach()
foreach(entry ${entries})
  string(REGEX REPLACE "^${top}/" "" inside "${entry}")
  if(entry MATCHES "/$" OR inside STREQUAL "")
    continue()  # a folder
  endif()
  if(NOT inside MATCHES "^(${ALLOWED})$")
    string(APPEND problems "must not ship: ${inside}\n")
  endif()
endforeach()
set(unpacked ${BUILD_DIR}/release/unpacked)
file(REMOVE_RECURSE ${unpacked})
file(MAKE_DIRECTORY ${unpacked})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${BUILD_DIR}/release/${ARCHIVE}
                WORKING_DIRECTORY ${unpacked} RESULT_VARIABLE extracted)
if(NOT extracted EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${ARCHIVE}")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/check_stripped.cmake)
if(EXISTS ${unpacked}/${top}/${PROGRAM})
  check_stripped(${unpacked}/${top}/${PROGRAM} ${DEBUG_FILE} problems)
endif()
if(problems)
  message(FATAL_ERROR "${ARCHIVE}:\n${problems}")
endif()

if(FLOORS)
  execute_process(COMMAND ${CMAKE_COMMAND} -DBINARY=${unpacked}/${top}/padwright -P ${FLOORS}
                  RESULT_VARIABLE within OUTPUT_VARIABLE said ERROR_VARIABLE said)
  message(STATUS "${said}")
  if(NOT within EQUAL 0)
    message(FATAL_ERROR "the padwright of ${ARCHIVE} is beyond its floors")
  endif()
endif()
