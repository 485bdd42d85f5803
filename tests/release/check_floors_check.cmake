# The floors check itself: it passes on the padwright binary as built, and fails on the same
# binary once the floors are set below what it needs, naming the library and both versions.
#   cmake -DBINARY=<padwright> -DFLOORS=<LinuxFloors.cmake> -P check_floors_check.cmake
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${CMAKE_COMMAND} -DBINARY=${BINARY} -P ${FLOORS}
                RESULT_VARIABLE rc OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the binary as built fails its floors:\n${said}")
endif()

# What this toolchain's binary needs at least: __libc_start_main@GLIBC_2.34 and a libstdc++
# from GCC 11 on; lowered floors and a list without libgcc_s must each be named.
execute_process(COMMAND ${CMAKE_COMMAND} -DBINARY=${BINARY} -DGLIBC_FLOOR=2.33
                        -DGLIBCXX_FLOOR=3.4.20 "-DALLOWED_LIBRARIES=libc.so.6;libstdc++.so.6"
                        -P ${FLOORS}
                RESULT_VARIABLE rc OUTPUT_VARIABLE said ERROR_VARIABLE said)
string(REGEX REPLACE "[ \n]+" " " said "${said}")
set(missing "")
foreach(expected "needs libgcc_s.so.1, which is none of" "needs GLIBC_2.34, above the floor GLIBC_2.33"
                 "needs GLIBCXX_3.4.2[1-9], above the floor GLIBCXX_3.4.20")
  if(NOT said MATCHES "${expected}")
    string(APPEND missing "  ${expected}\n")
  endif()
endforeach()
if(rc EQUAL 0 OR missing)
  message(FATAL_ERROR "lowered floors were not caught (exit ${rc}); not said:\n${missing}${said}")
endif()
message(STATUS "floors check: passes as built, fails below the floors")
