# Registers tests of Windows binaries. Cross-built on Linux they run through Wine in a private
# prefix inside the build tree (scripts/wine-env.sh sets it up as a CTest fixture, with a
# virtual display when there is none); built on Windows they run directly.
#
#   padwright_add_windows_test(NAME <name> COMMAND <target or path> [args...]
#                              [TIMEOUT <seconds>] [LABELS <labels...>]
#                              [LAUNCHER <command> [args...]])
# LAUNCHER, under Wine only, runs the whole Wine command line (as its last arguments), for a
# test whose Wine processes need a setting of their own such as a mount namespace.
function(padwright_add_windows_test)
  cmake_parse_arguments(ARG "" "NAME;TIMEOUT" "COMMAND;LABELS;LAUNCHER" ${ARGN})
  list(POP_FRONT ARG_COMMAND exe)
  if(TARGET ${exe})
    set(exe $<TARGET_FILE:${exe}>)
  endif()
  if(CMAKE_HOST_WIN32)
    add_test(NAME ${ARG_NAME} COMMAND ${exe} ${ARG_COMMAND})
  else()
    add_test(NAME ${ARG_NAME}
             COMMAND ${ARG_LAUNCHER} ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${CMAKE_BINARY_DIR}
                     ${exe} ${ARG_COMMAND})
    set_tests_properties(${ARG_NAME} PROPERTIES FIXTURES_REQUIRED wine_env)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${ARG_NAME} PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS "windows;${ARG_LABELS}")
endfunction()

# The fixture that owns the Wine prefix, the wineserver and the virtual display.
function(padwright_add_wine_fixture)
  if(CMAKE_HOST_WIN32)
    return()
  endif()
  add_test(NAME wine_env_start
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-env.sh start ${CMAKE_BINARY_DIR})
  add_test(NAME wine_env_stop
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-env.sh stop ${CMAKE_BINARY_DIR})
  set_tests_properties(wine_env_start PROPERTIES FIXTURES_SETUP wine_env TIMEOUT 300)
  set_tests_properties(wine_env_stop PROPERTIES FIXTURES_CLEANUP wine_env TIMEOUT 60)
endfunction()
