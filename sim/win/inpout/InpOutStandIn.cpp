// Stand-in for the third-party physical-memory library (tests and demos only, never shipped):
// ordinal 11 maps a range of the shared page around the controller's power byte, ordinal 12
// unmaps it. Other processes watch the page through SharedPhysicalMemory.
#include <windows.h>

#include <cstdint>

#include "sim/win/inpout/StandInMappings.h"

extern "C" {

// Ordinal 11: the 64-bit physical address arrives in a pointer-sized argument.
BYTE* WINAPI StandInMapPhysicalRange(BYTE* physicalAddress, DWORD length, HANDLE* mappingHandle) {
  if (mappingHandle == nullptr) {
    return nullptr;
  }
  *mappingHandle = nullptr;
  return StandInMappings::Instance().Map(reinterpret_cast<uintptr_t>(physicalAddress), length,
                                         mappingHandle);
}

// Ordinal 12.
BOOL WINAPI StandInUnmapPhysicalRange(HANDLE mappingHandle, BYTE* mapped) {
  StandInMappings::Instance().Unmap(mappingHandle, mapped);
  return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    StandInMappings::Instance().Attach();
  } else if (reason == DLL_PROCESS_DETACH) {
    StandInMappings::Instance().Detach();
  }
  return TRUE;
}

}  // extern "C"
