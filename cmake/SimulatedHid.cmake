# The executables that load the simulated HID stack (sim/win/hidstack) in the Wine test
# prefix instead of Wine's own hid.dll and setupapi.dll. Each is given a per-application
# DllOverrides entry in a .reg file that scripts/wine-env.sh imports on every start, so that
# the rest of the prefix (Wine's own services) keeps the real DLLs.
#
#   include(${PROJECT_SOURCE_DIR}/cmake/SimulatedHid.cmake)
#   padwright_use_simulated_hid(<exe file name, e.g. padwright.exe> ...)
#
# May be called from any directory, before or after sim/win/hidstack is processed: the names
# are collected in a global property and the .reg is written once the whole tree is read.
include_guard(GLOBAL)

function(padwright_use_simulated_hid)
  foreach(exe ${ARGN})
    # A target named by its own name, or the file name itself.
    if(TARGET ${exe})
      get_target_property(output_name ${exe} OUTPUT_NAME)
      if(output_name)
        set(exe ${output_name})
      endif()
    endif()
    if(NOT exe MATCHES "\\.exe$")
      set(exe ${exe}.exe)
    endif()
    set_property(GLOBAL APPEND PROPERTY PADWRIGHT_SIMULATED_HID_EXES ${exe})
  endforeach()
endfunction()

# Writes wine/reg/simulated-hid.reg at the end of configuration (called once, by hidstack).
function(padwright_write_simulated_hid_reg)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _padwright_write_simulated_hid_reg)
endfunction()

function(_padwright_write_simulated_hid_reg)
  get_property(exes GLOBAL PROPERTY PADWRIGHT_SIMULATED_HID_EXES)
  list(REMOVE_DUPLICATES exes)
  list(SORT exes)
  set(text "REGEDIT4\n")
  foreach(exe ${exes})
    string(APPEND text "\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\${exe}\\DllOverrides]\n"
           "\"hid\"=\"native\"\n\"setupapi\"=\"native\"\n")
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/wine/reg/simulated-hid.reg "${text}")
endfunction()
