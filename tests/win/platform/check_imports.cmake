# Checks what Windows binaries import (run with cmake -P).
#   MODE=formatter OBJDUMP=<objdump> OBJECTS=<padwright_core objects> EXE=<a test exe>
#     (MinGW) FormatString's object calls MinGW's own C99 wide formatter (__mingw_vsnwprintf,
#     linked in) and no other printf; the exe imports no wide string formatter from any DLL
#     (msvcrt's is not C99, and Wine's is more lenient than Windows', so a run under Wine
#     proves little).
#   MODE=product DUMPER=<objdump or dumpbin> EXE=<padwright.exe>
#     the exe imports only Windows system DLLs and inpoutx64.dll, from the latter exactly
#     ordinals 11 and 12 by ordinal, and no runtime DLL of its compiler (MinGW's, or Visual
#     C++'s, which a handheld may not have). Its DPI awareness is its manifest's alone: it
#     imports no function that sets it, and none of the DPI functions that Windows before
#     10 1607 lacks (the loader would refuse to start it there, where the manifest's
#     per-monitor fallback is meant to work); those are looked up at run time.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../../../cmake/PeImports.cmake)

function(objdump_text out)
  execute_process(COMMAND ${OBJDUMP} ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objdump ${ARGN} failed (${rc})")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

if(MODE STREQUAL "formatter")
  set(format_object)
  foreach(object IN LISTS OBJECTS)
    if(object MATCHES "/FormatString\\.cpp\\.obj$")
      set(format_object ${object})
    endif()
  endforeach()
  if(NOT format_object)
    message(FATAL_ERROR "no FormatString object among ${OBJECTS}")
  endif()
  objdump_text(symbols -t ${format_object})
  string(REGEX MATCHALL "[A-Za-z0-9_]*printf[A-Za-z0-9_]*" printf_symbols "${symbols}")
  list(REMOVE_DUPLICATES printf_symbols)
  if(NOT printf_symbols STREQUAL "__mingw_vsnwprintf")
    message(FATAL_ERROR "FormatString should call only __mingw_vsnwprintf, calls: ${printf_symbols}")
  endif()
  objdump_text(listing -p ${EXE})
  string(TOLOWER "${listing}" lowered)
  if(lowered MATCHES "\t[0-9a-f]+\t +[0-9]+ +([a-z0-9_]*s_*n?wprintf[a-z0-9_]*)")
    message(FATAL_ERROR "${EXE} imports the wide formatter ${CMAKE_MATCH_1} from a DLL")
  endif()
  objdump_text(exe_symbols -t ${EXE})
  if(NOT exe_symbols MATCHES "__mingw_vsnwprintf")
    message(FATAL_ERROR "${EXE} does not contain MinGW's __mingw_vsnwprintf")
  endif()
  message(STATUS "FormatString uses MinGW's own __mingw_vsnwprintf, linked into the exe")
elseif(MODE STREQUAL "product")
  pe_read_imports("${DUMPER}" "${EXE}" dlls delayed inpout)
  # msvcrt.dll is Windows' own C runtime, which MinGW builds use. The Visual C++ runtime
  # (vcruntime*, msvcp*) is not on every machine and would be looked for beside the exe
  # first, so the Visual Studio build links it statically, and with it the universal C
  # runtime (imported through api-ms-win-crt-* otherwise).
  set(system_dlls kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll
      shlwapi.dll ole32.dll oleaut32.dll advapi32.dll msvcrt.dll hid.dll setupapi.dll
      uxtheme.dll version.dll)
  foreach(name IN LISTS dlls delayed)
    if(name MATCHES "^api-ms-win-crt-")
      message(FATAL_ERROR "${EXE} imports ${name}: the C runtime is not linked statically")
    elseif(NOT name IN_LIST system_dlls AND NOT name STREQUAL "inpoutx64.dll" AND
           NOT name MATCHES "^api-ms-win-")
      message(FATAL_ERROR "${EXE} imports ${name}, which is no Windows system DLL")
    endif()
  endforeach()
  if(NOT "inpoutx64.dll" IN_LIST dlls)
    message(FATAL_ERROR "${EXE} does not import inpoutx64.dll")
  endif()
  if(NOT inpout STREQUAL "ordinal:11;ordinal:12")
    message(FATAL_ERROR "inpoutx64.dll imports should be ordinals 11 and 12 only, are: ${inpout}")
  endif()
  pe_read_imported_names("${DUMPER}" "${EXE}" user32.dll user32)
  if(NOT user32)
    message(FATAL_ERROR "no functions of user32.dll found in the imports of ${EXE}")
  endif()
  set(dpi_functions setprocessdpiaware setprocessdpiawarenesscontext setprocessdpiawareness
      setthreaddpiawarenesscontext getdpiforwindow getdpiforsystem getsystemmetricsfordpi
      adjustwindowrectexfordpi systemparametersinfofordpi enablenonclientdpiscaling
      setdialogdpichangebehavior setdialogcontroldpichangebehavior)
  foreach(name IN LISTS user32)
    if(name IN_LIST dpi_functions)
      message(FATAL_ERROR "${EXE} imports ${name} from user32.dll; look it up at run time "
                          "(the manifest alone declares the DPI awareness)")
    endif()
  endforeach()
  message(STATUS "${EXE}: system DLLs and inpoutx64.dll (ordinals 11, 12) only: ${dlls}; "
                 "no DPI function imported")
else()
  message(FATAL_ERROR "MODE must be formatter or product")
endif()
