// The stand-in library's live mappings: each is a view of the shared page, kept inaccessible
// until first touched so that an access handler can count reads and writes through it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "sim/win/inpout/SharedPhysicalMemory.h"

class StandInMappings {
 public:
  // The one table of the process (the library's state).
  static StandInMappings& Instance();

  // Installs / removes the access handler (from DllMain).
  void Attach();
  void Detach();

  // Maps `length` bytes at `physicalAddress`; null when refused.
  BYTE* Map(uint64_t physicalAddress, uint32_t length, HANDLE* handle);
  // Releases a mapping; unknown handle/pointer pairs are counted and ignored.
  void Unmap(HANDLE handle, BYTE* mapped);

 private:
  struct Slot {
    volatile LONG state;  // 0 free, 1 being set up or torn down, 2 live
    BYTE* view;
    BYTE* mapped;
    bool read;
    bool written;
  };
  static constexpr int kSlots = 16;

  static LONG CALLBACK OnAccessViolation(EXCEPTION_POINTERS* pointers);
  bool OpenBlock();
  Slot* ClaimSlot();
  bool OpenView(Slot& slot);
  Slot* FindLiveSlot(const BYTE* address);
  bool CountAccess(const BYTE* address, bool write);

  Slot slots_[kSlots] = {};
  SharedPhysicalMemory block_;
  INIT_ONCE blockOnce_ = INIT_ONCE_STATIC_INIT;
  void* handler_ = nullptr;
};
