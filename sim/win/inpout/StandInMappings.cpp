// Mapping views of the shared page for the stand-in library, and the access handler that
// counts reads and writes through them.
#include "sim/win/inpout/StandInMappings.h"

using namespace shared_physical;

StandInMappings& StandInMappings::Instance() {
  static StandInMappings mappings;
  return mappings;
}

void StandInMappings::Attach() {
  // First in line: the faults it handles are its own pages, nothing else's.
  handler_ = AddVectoredExceptionHandler(1, &StandInMappings::OnAccessViolation);
}

void StandInMappings::Detach() {
  if (handler_ != nullptr) {
    RemoveVectoredExceptionHandler(handler_);
    handler_ = nullptr;
  }
}

bool StandInMappings::OpenBlock() {
  // Opened on first use, not in DllMain, so a test can set the block's id variable first.
  InitOnceExecuteOnce(
      &blockOnce_,
      [](INIT_ONCE*, void* self, void**) -> BOOL {
        static_cast<StandInMappings*>(self)->block_.Open();
        return TRUE;
      },
      this, nullptr);
  return block_.IsOpen();
}

StandInMappings::Slot* StandInMappings::ClaimSlot() {
  for (Slot& slot : slots_) {
    if (InterlockedCompareExchange(&slot.state, 1, 0) == 0) {
      return &slot;
    }
  }
  return nullptr;
}

bool StandInMappings::OpenView(Slot& slot) {
  slot.view = static_cast<BYTE*>(
      MapViewOfFile(block_.Section(), FILE_MAP_ALL_ACCESS, 0, kWindowOffset, kWindowBytes));
  if (slot.view == nullptr) {
    return false;
  }
  // Inaccessible until touched: the first read or write faults into OnAccessViolation.
  DWORD previous = 0;
  if (!VirtualProtect(slot.view, kWindowBytes, PAGE_NOACCESS, &previous)) {
    UnmapViewOfFile(slot.view);
    slot.view = nullptr;
    return false;
  }
  slot.read = false;
  slot.written = false;
  return true;
}

BYTE* StandInMappings::Map(uint64_t physicalAddress, uint32_t length, HANDLE* handle) {
  if (!OpenBlock()) {
    return nullptr;
  }
  SharedPhysicalHeader& header = block_.Header();
  InterlockedExchange64(&header.lastMapAddress, static_cast<LONG64>(physicalAddress));
  InterlockedExchange(&header.lastMapLength, static_cast<LONG>(length));
  bool inside = physicalAddress >= kWindowBase && length > 0 &&
                physicalAddress - kWindowBase + length <= kWindowBytes;
  Slot* slot = inside && header.failMaps == 0 ? ClaimSlot() : nullptr;
  if (slot == nullptr || !OpenView(*slot)) {
    if (slot != nullptr) {
      InterlockedExchange(&slot->state, 0);
    }
    InterlockedIncrement(&header.refusedMaps);
    return nullptr;
  }
  slot->mapped = slot->view + (physicalAddress - kWindowBase);
  InterlockedExchange(&slot->state, 2);
  InterlockedIncrement(&header.maps);
  *handle = reinterpret_cast<HANDLE>(slot);
  return slot->mapped;
}

void StandInMappings::Unmap(HANDLE handle, BYTE* mapped) {
  if (!block_.IsOpen()) {
    return;
  }
  SharedPhysicalHeader& header = block_.Header();
  for (Slot& slot : slots_) {
    if (reinterpret_cast<HANDLE>(&slot) == handle && slot.mapped == mapped &&
        InterlockedCompareExchange(&slot.state, 1, 2) == 2) {
      UnmapViewOfFile(slot.view);
      slot.view = nullptr;
      slot.mapped = nullptr;
      InterlockedExchange(&slot.state, 0);
      InterlockedIncrement(&header.unmaps);
      return;
    }
  }
  InterlockedIncrement(&header.badUnmaps);
}

StandInMappings::Slot* StandInMappings::FindLiveSlot(const BYTE* address) {
  for (Slot& slot : slots_) {
    if (slot.state == 2 && address >= slot.view && address < slot.view + kWindowBytes) {
      return &slot;
    }
  }
  return nullptr;
}

bool StandInMappings::CountAccess(const BYTE* address, bool write) {
  Slot* slot = FindLiveSlot(address);
  if (slot == nullptr) {
    return false;
  }
  SharedPhysicalHeader& header = block_.Header();
  bool& seen = write ? slot->written : slot->read;
  if (!seen) {
    seen = true;
    InterlockedIncrement(write ? &header.writes : &header.reads);
  }
  // Reading opens the page for reading only, so that a later write still faults once.
  DWORD previous = 0;
  return VirtualProtect(slot->view, kWindowBytes, write ? PAGE_READWRITE : PAGE_READONLY,
                        &previous) != FALSE;
}

LONG CALLBACK StandInMappings::OnAccessViolation(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  if (record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record->NumberParameters < 2) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  // Parameter 0: 0 for a read, 1 for a write (8 for execution); parameter 1: the address.
  ULONG_PTR kind = record->ExceptionInformation[0];
  const BYTE* address = reinterpret_cast<const BYTE*>(record->ExceptionInformation[1]);
  if (kind > 1 || !Instance().CountAccess(address, kind == 1)) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  return EXCEPTION_CONTINUE_EXECUTION;
}
