# The same sources give the same binaries wherever and whenever they are built: no folder of
# the machine that built them and no time of building lands in padwright or padwright.exe.
# (The release archives around them are made reproducible in cmake/RepackArchive.cmake.)
if(NOT MSVC)
  # __FILE__ and the debug information name the sources relative to the source tree and the
  # generated files relative to "build". The build tree's map comes last, so it wins where the
  # build tree lies inside the source tree.
  add_compile_options(
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>"
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=build>")
endif()
if(MINGW)
  # Left to itself the linker writes the time of linking (or SOURCE_DATE_EPOCH) into the
  # exe's header; 0 instead, so that a build made without that variable matches too.
  add_link_options(-Wl,--no-insert-timestamp)
endif()
