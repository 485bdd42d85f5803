// PhysicalMemory over inpoutx64.dll's ordinals 11 and 12. The import is static (through the
// import library made from inpoutx64.def), so the program does not start without the DLL.
#include "platform/win/InpOutPhysicalMemory.h"

#include <windows.h>

extern "C" {
// Ordinal 11: maps `length` bytes at `physicalAddress`; stores the mapping's handle in
// *mappingHandle and returns the mapped bytes, or null.
__declspec(dllimport) BYTE* WINAPI
    PadwrightMapPhysicalRange(BYTE* physicalAddress, DWORD length, HANDLE* mappingHandle);
// Ordinal 12: releases a mapping made by ordinal 11. Its result is not used.
__declspec(dllimport) BOOL WINAPI PadwrightUnmapPhysicalRange(HANDLE mappingHandle, BYTE* mapped);
}

void* InpOutPhysicalMemory::Map(uint64_t physicalAddress, uint32_t length, void** handle) {
  HANDLE mapping = nullptr;
  // The library takes the 64-bit physical address in a pointer-sized argument.
  BYTE* mapped = PadwrightMapPhysicalRange(
      reinterpret_cast<BYTE*>(static_cast<uintptr_t>(physicalAddress)), length, &mapping);
  *handle = mapping;
  return mapped;
}

void InpOutPhysicalMemory::Unmap(void* handle, void* mapped) {
  PadwrightUnmapPhysicalRange(static_cast<HANDLE>(handle), static_cast<BYTE*>(mapped));
}
