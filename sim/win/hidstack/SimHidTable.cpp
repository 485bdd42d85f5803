// The shared list of simulated HID devices (see SimHidTable.h).
#include "sim/win/hidstack/SimHidTable.h"

#include <cwchar>

namespace {

constexpr const wchar_t* kBlockBase = L"Local\\PadwrightSimHid";
constexpr const wchar_t* kLockBase = L"Local\\PadwrightSimHidLock";

// The part of a pipe path after "\\.\pipe", or of a file path after its drive, as
// GetFileInformationByHandleEx names it.
const wchar_t* PipeNameOf(const wchar_t* path) {
  if (path[0] != L'\0' && path[1] == L':') {
    return path + 2;
  }
  const wchar_t* slash = wcschr(path + 4, L'\\');  // past the leading "\\.\"
  return slash != nullptr ? slash : path;
}

}  // namespace

SimHidTable::Lock::Lock(HANDLE mutex) : mutex_(mutex) {
  WaitForSingleObject(mutex_, INFINITE);
}

SimHidTable::Lock::~Lock() {
  ReleaseMutex(mutex_);
}

SimHidTable::~SimHidTable() {
  Close();
}

void SimHidTable::NameWithId(const wchar_t* base, wchar_t* out, size_t capacity) {
  wchar_t id[64] = {};
  DWORD length = GetEnvironmentVariableW(sim_hid::kIdVariable, id, 64);
  if (length > 0 && length < 64) {
    swprintf(out, capacity, L"%ls-%ls", base, id);
  } else {
    swprintf(out, capacity, L"%ls", base);
  }
}

bool SimHidTable::Open(bool create) {
  if (IsOpen()) {
    return true;
  }
  wchar_t blockName[128];
  wchar_t lockName[128];
  NameWithId(kBlockBase, blockName, 128);
  NameWithId(kLockBase, lockName, 128);
  section_ = create ? CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         sizeof(SimHidBlock), blockName)
                    : OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, blockName);
  mutex_ = CreateMutexW(nullptr, FALSE, lockName);
  if (section_ == nullptr || mutex_ == nullptr) {
    Close();
    return false;
  }
  block_ = static_cast<SimHidBlock*>(
      MapViewOfFile(section_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SimHidBlock)));
  if (block_ == nullptr) {
    Close();
    return false;
  }
  Lock lock(mutex_);
  // A new block is zero-filled: mark it, and it lists no device yet.
  block_->magic = sim_hid::kMagic;
  return true;
}

void SimHidTable::Close() {
  if (block_ != nullptr) {
    UnmapViewOfFile(block_);
    block_ = nullptr;
  }
  if (section_ != nullptr) {
    CloseHandle(section_);
    section_ = nullptr;
  }
  if (mutex_ != nullptr) {
    CloseHandle(mutex_);
    mutex_ = nullptr;
  }
}

uint32_t SimHidTable::Snapshot(SimHidEntry* out, uint32_t capacity) {
  if (!IsOpen()) {
    return 0;
  }
  Lock lock(mutex_);
  uint32_t count = block_->count < capacity ? block_->count : capacity;
  for (uint32_t i = 0; i < count; ++i) {
    out[i] = block_->entries[i];
  }
  return count;
}

bool SimHidTable::FindByPipeName(const wchar_t* pipeName, SimHidEntry* out) {
  if (!IsOpen() || pipeName == nullptr) {
    return false;
  }
  Lock lock(mutex_);
  for (uint32_t i = 0; i < block_->count && i < sim_hid::kMaxDevices; ++i) {
    // Pipe names, like file names, do not depend on case.
    if (_wcsicmp(PipeNameOf(block_->entries[i].path), pipeName) == 0) {
      *out = block_->entries[i];
      return true;
    }
  }
  return false;
}

void SimHidTable::Publish(const SimHidEntry* entries, uint32_t count) {
  if (!IsOpen()) {
    return;
  }
  Lock lock(mutex_);
  if (count > sim_hid::kMaxDevices) {
    count = sim_hid::kMaxDevices;
  }
  for (uint32_t i = 0; i < count; ++i) {
    block_->entries[i] = entries[i];
    block_->entries[i].path[sim_hid::kMaxPath - 1] = L'\0';
  }
  block_->count = count;
}

bool SimHidTable::ListFails() {
  return IsOpen() && block_->failList != 0;
}

void SimHidTable::SetListFails(bool fail) {
  if (IsOpen()) {
    InterlockedExchange(&block_->failList, fail ? 1 : 0);
  }
}

SimHidCounters* SimHidTable::Counters() {
  return IsOpen() ? &block_->counters : nullptr;
}
