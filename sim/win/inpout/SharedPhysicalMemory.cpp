// Opening the stand-in's shared block and the small accessors other processes use.
#include "sim/win/inpout/SharedPhysicalMemory.h"

using namespace shared_physical;

SharedPhysicalMemory::~SharedPhysicalMemory() {
  Close();
}

std::wstring SharedPhysicalMemory::BlockName() {
  std::wstring name = L"Local\\PadwrightPhysicalMemory";
  wchar_t id[128] = {};
  DWORD length = GetEnvironmentVariableW(kIdVariable, id, 128);
  if (length > 0 && length < 128) {
    name += L"-";
    name += id;
  }
  return name;
}

bool SharedPhysicalMemory::Open() {
  if (IsOpen()) {
    return true;
  }
  std::wstring name = BlockName();
  // Page-file backed: the block starts zero-filled and lives while anyone holds it open.
  section_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockBytes,
                                name.c_str());
  if (section_ == nullptr) {
    return false;
  }
  base_ =
      static_cast<unsigned char*>(MapViewOfFile(section_, FILE_MAP_ALL_ACCESS, 0, 0, kBlockBytes));
  if (base_ == nullptr) {
    Close();
    return false;
  }
  Header().magic = kMagic;
  return true;
}

void SharedPhysicalMemory::Close() {
  if (base_ != nullptr) {
    UnmapViewOfFile(base_);
    base_ = nullptr;
  }
  if (section_ != nullptr) {
    CloseHandle(section_);
    section_ = nullptr;
  }
}

unsigned char SharedPhysicalMemory::PowerByte() const {
  return Window()[kPowerAddress - kWindowBase];
}

void SharedPhysicalMemory::SetPowerByte(unsigned char value) {
  Window()[kPowerAddress - kWindowBase] = value;
}

void SharedPhysicalMemory::SetMapFailure(bool fail) {
  InterlockedExchange(&Header().failMaps, fail ? 1 : 0);
}

void SharedPhysicalMemory::ResetCounters() {
  SharedPhysicalHeader& header = Header();
  for (volatile LONG* counter :
       {&header.maps, &header.refusedMaps, &header.unmaps, &header.badUnmaps, &header.reads,
        &header.writes, &header.lastMapLength}) {
    InterlockedExchange(counter, 0);
  }
  InterlockedExchange64(&header.lastMapAddress, 0);
}
