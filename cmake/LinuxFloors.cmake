# The floors of the Linux padwright binary, read off the binary itself: the shared libraries
# it needs at load time (readelf -d) and the newest symbol versions it asks of them
# (objdump -T). Fails, naming each, on a library beyond the C and C++ runtimes or a version
# above the floor, so a newer build machine cannot raise the floors silently.
#   cmake -DBINARY=<file> [-DREADELF=<readelf>] [-DOBJDUMP=<objdump>]
#         [-DGLIBC_FLOOR=2.34] [-DGLIBCXX_FLOOR=3.4.29] [-DCXXABI_FLOOR=1.3.13]
#         [-DALLOWED_LIBRARIES=<a;b;...>] -P LinuxFloors.cmake
# The defaults: glibc 2.34 and the libstdc++ of GCC 11 (GLIBCXX_3.4.29, CXXABI_1.3.13).
cmake_minimum_required(VERSION 3.25)

if(NOT DEFINED BINARY)
  message(FATAL_ERROR "BINARY is not set")
endif()
foreach(pair "READELF;readelf" "OBJDUMP;objdump" "GLIBC_FLOOR;2.34" "GLIBCXX_FLOOR;3.4.29"
             "CXXABI_FLOOR;1.3.13")
  list(GET pair 0 name)
  list(GET pair 1 default)
  if(NOT DEFINED ${name} OR "${${name}}" STREQUAL "")
    set(${name} ${default})
  endif()
endforeach()
if(NOT DEFINED ALLOWED_LIBRARIES)
  set(ALLOWED_LIBRARIES libc.so.6 libm.so.6 libstdc++.so.6 libgcc_s.so.1 ld-linux-x86-64.so.2)
endif()

function(run_tool out)
  execute_process(COMMAND ${ARGN} ${BINARY} OUTPUT_VARIABLE text ERROR_VARIABLE error
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN} could not read ${BINARY}: ${error}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(problems "")
list(JOIN ALLOWED_LIBRARIES " " allowed_text)
run_tool(dynamic ${READELF} -d)
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*\\[[^]\n]+\\]" needed "${dynamic}")
foreach(entry ${needed})
  string(REGEX REPLACE ".*\\[([^]]+)\\]" "\\1" library "${entry}")
  if(NOT library IN_LIST ALLOWED_LIBRARIES)
    string(APPEND problems "needs ${library}, which is none of: ${allowed_text}\n")
  endif()
endforeach()

run_tool(symbols ${OBJDUMP} -T)
foreach(kind GLIBC GLIBCXX CXXABI)
  string(REGEX MATCHALL "\\(${kind}_[0-9.]+\\)[ \t]+[^\n]+" uses "${symbols}")
  set(newest "")
  foreach(use ${uses})
    string(REGEX REPLACE "^\\(${kind}_([0-9.]+)\\)[ \t]+(.*)$" "\\1" version "${use}")
    string(REGEX REPLACE "^\\(${kind}_([0-9.]+)\\)[ \t]+(.*)$" "\\2" symbol "${use}")
    if(version VERSION_GREATER "${${kind}_FLOOR}")
      string(APPEND problems "${symbol} needs ${kind}_${version}, above the floor "
                             "${kind}_${${kind}_FLOOR}\n")
    endif()
    if(newest STREQUAL "" OR version VERSION_GREATER newest)
      set(newest ${version})
    endif()
  endforeach()
  string(APPEND summary " ${kind}_${newest}")
endforeach()

if(problems)
  message(FATAL_ERROR "${BINARY} is beyond its floors:\n${problems}")
endif()
message(STATUS "${BINARY}: within its floors; newest versions used:${summary}")
