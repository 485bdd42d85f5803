# The shipped program without its symbol table and debug information. Right after linking,
# both go into a file of their own beside the program in the build folder (<program>.debug),
# the program keeps only a .gnu_debuglink section that names that file and holds its CRC-32
# (so that gdb finds it there, and knows a stale one), and the release archive holds the
# stripped program alone. The program's own code is compiled with -g in every configuration,
# so that the kept file has something to give: -g changes no code that GCC makes.
# Both files stay the same bytes from the same sources: objcopy would write the time of its
# run into a PE header, so it is given the time 0, as the linker is
# (cmake/ReproducibleBuild.cmake).
#   padwright_split_debug(<executable target> <library targets of its own code>...)
function(padwright_split_debug target)
  if(MSVC)
    return()  # its debug information is in a PDB already, never in the exe
  endif()
  if(NOT CMAKE_OBJCOPY)
    message(FATAL_ERROR "objcopy is needed to keep the debug information apart")
  endif()
  foreach(code ${target} ${ARGN})
    target_compile_options(${code} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-g>)
  endforeach()
  set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY})
  set(program $<TARGET_FILE_NAME:${target}>)
  add_custom_command(
    TARGET ${target} POST_BUILD
    COMMAND ${objcopy} --only-keep-debug ${program} ${program}.debug
    COMMAND ${objcopy} --strip-all --add-gnu-debuglink=${program}.debug ${program}
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    COMMENT "Keeping the debug information of ${target} in a file of its own"
    VERBATIM)
endfunction()
