# What padwright.exe loads before WinMain runs, read from its import table with the dumper of
# its toolchain (run with cmake -P, DUMPER=<objdump or dumpbin> EXE=<padwright.exe>). Those
# DLLs are found before the exe can limit the search to System32, so each must be a KnownDLL
# (always from System32), the common controls (bound side by side by the manifest), or
# inpoutx64.dll, which belongs beside the exe. hid.dll and setupapi.dll must not be among
# them: they are delay-loaded.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../../../cmake/PeImports.cmake)

pe_read_imports("${DUMPER}" "${EXE}" names delayed inpout)
set(known_dlls advapi32.dll clbcatq.dll combase.dll comdlg32.dll coml2.dll gdi32.dll
    gdiplus.dll imagehlp.dll imm32.dll kernel32.dll msctf.dll msvcrt.dll normaliz.dll nsi.dll
    ole32.dll oleaut32.dll psapi.dll rpcrt4.dll sechost.dll shcore.dll shell32.dll shlwapi.dll
    user32.dll wldap32.dll ws2_32.dll)
foreach(name IN LISTS names)
  if(name STREQUAL "hid.dll" OR name STREQUAL "setupapi.dll")
    message(FATAL_ERROR "${EXE} imports ${name} at start-up; it must be delay-loaded")
  endif()
  if(NOT name IN_LIST known_dlls AND NOT name STREQUAL "comctl32.dll" AND
     NOT name STREQUAL "inpoutx64.dll" AND NOT name MATCHES "^api-ms-win-")
    message(FATAL_ERROR "${EXE} imports ${name} at start-up, which the exe's folder could supply")
  endif()
endforeach()
if(NOT "inpoutx64.dll" IN_LIST names)
  message(FATAL_ERROR "${EXE} does not import inpoutx64.dll")
endif()

get_filename_component(tool "${DUMPER}" NAME_WE)
string(TOLOWER "${tool}" tool)
if(tool STREQUAL "dumpbin")
  # The linker's /DELAYLOAD fills the delay-load table, which dumpbin lists.
  list(SORT delayed)
  if(NOT delayed STREQUAL "hid.dll;setupapi.dll")
    message(FATAL_ERROR "${EXE} should delay-load hid.dll and setupapi.dll, delay-loads: ${delayed}")
  endif()
else()
  # MinGW's delay-load libraries leave that table empty: the delay-load helper is linked in,
  # with the names of the two DLLs it loads. The exe is stripped: its symbols are in the debug
  # file kept beside it (cmake/SplitDebug.cmake).
  set(symbol_file ${EXE})
  if(EXISTS ${EXE}.debug)
    set(symbol_file ${EXE}.debug)
  endif()
  execute_process(COMMAND ${DUMPER} -t ${symbol_file} OUTPUT_VARIABLE symbols)
  if(NOT symbols MATCHES "__delayLoadHelper2")
    message(FATAL_ERROR "${EXE} has no delay-load helper")
  endif()
  file(STRINGS ${EXE} dll_names REGEX "^(hid|setupapi)\\.dll$")
  list(SORT dll_names)
  if(NOT dll_names STREQUAL "hid.dll;setupapi.dll")
    message(FATAL_ERROR "${EXE} does not name hid.dll and setupapi.dll for delay loading")
  endif()
endif()
message(STATUS "${EXE} loads at start-up only: ${names}; hid.dll and setupapi.dll delay-loaded")
