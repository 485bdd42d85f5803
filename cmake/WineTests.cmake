# Registers tests of Windows binaries. Cross-built on Linux they run through Wine in a private
# prefix inside the build tree (scripts/wine-env.sh sets it up as a CTest fixture, with a
# virtual display when there is none); built on Windows they run directly.
#
# That prefix always draws at 96 DPI. Tests of other scales run in a second prefix, in the
# build-tree-like folder dpi/, which they switch between scales (LogPixels); it shares the
# simulated HID stack and the registry files of the first.
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

#   padwright_add_dpi_tests(NAME <name> COMMAND <target> DPIS <dpi...> [TIMEOUT <seconds>])
# registers <name>_<dpi> for each scale, each with PADWRIGHT_DPI=<dpi> in its environment
# (the program may check that it runs at that scale). Built on Windows: one test, <name>, at
# the machine's own scale.
function(padwright_add_dpi_tests)
  cmake_parse_arguments(ARG "" "NAME;COMMAND;TIMEOUT" "DPIS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  if(CMAKE_HOST_WIN32)
    padwright_add_windows_test(NAME ${ARG_NAME} COMMAND ${ARG_COMMAND} TIMEOUT ${ARG_TIMEOUT})
    return()
  endif()
  foreach(dpi ${ARG_DPIS})
    # Screenshots go to the build tree's own folder, as every other test's.
    add_test(NAME ${ARG_NAME}_${dpi}
             COMMAND ${CMAKE_COMMAND} -E env PADWRIGHT_DPI=${dpi}
                     PADWRIGHT_BUILD_DIR=${CMAKE_BINARY_DIR}
                     ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${CMAKE_BINARY_DIR}/dpi
                     $<TARGET_FILE:${ARG_COMMAND}>)
    set_tests_properties(${ARG_NAME}_${dpi} PROPERTIES
      FIXTURES_REQUIRED wine_dpi_env RESOURCE_LOCK wine_dpi_prefix TIMEOUT ${ARG_TIMEOUT}
      LABELS "windows")
  endforeach()
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

  # The scale tests' prefix, on a virtual display of its own of 1920 × 1080 pixels whose work
  # area leaves 48 pixels to a taskbar (1920 × 1032, a handheld's panel at any scale): a
  # 1280 × 720 work area at 144 DPI, and the one the grown window must fit at 192 DPI.
  set(dpi_dir ${CMAKE_BINARY_DIR}/dpi)
  file(MAKE_DIRECTORY ${dpi_dir}/wine ${CMAKE_BINARY_DIR}/wine/system32 ${CMAKE_BINARY_DIR}/wine/reg)
  foreach(shared system32 reg)
    file(CREATE_LINK ${CMAKE_BINARY_DIR}/wine/${shared} ${dpi_dir}/wine/${shared} SYMBOLIC)
  endforeach()
  add_test(NAME wine_dpi_env_start
           COMMAND ${CMAKE_COMMAND} -E env PADWRIGHT_XVFB=1 PADWRIGHT_XVFB_SCREEN=1920x1080x24
                   "PADWRIGHT_XVFB_WORKAREA=0, 0, 1920, 1032"
                   ${PROJECT_SOURCE_DIR}/scripts/wine-env.sh start ${dpi_dir})
  add_test(NAME wine_dpi_env_stop COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-env.sh stop ${dpi_dir})
  set_tests_properties(wine_dpi_env_start PROPERTIES FIXTURES_SETUP wine_dpi_env TIMEOUT 300)
  set_tests_properties(wine_dpi_env_stop PROPERTIES FIXTURES_CLEANUP wine_dpi_env TIMEOUT 60)
endfunction()
