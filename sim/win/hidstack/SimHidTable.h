// The list of simulated HID devices that a simulator host publishes and the test-only
// hid.dll / setupapi.dll read: a named shared-memory block guarded by a named mutex, so the
// host may live in another process than the program scanning for devices.
#pragma once

#include <windows.h>

#include <cstdint>

namespace sim_hid {

constexpr uint32_t kMagic = 0x44494850;  // "PHID"
constexpr uint32_t kMaxDevices = 16;
constexpr uint32_t kMaxPath = 160;
// Environment variable whose value, when set, is added to every name (block, lock, pipes)
// so that parallel runs each have their own simulated stack.
constexpr const wchar_t* kIdVariable = L"PADWRIGHT_SIM_ID";
// What names start with; the pipes of the devices are \\.\pipe\<kPipePrefix><id>-...
constexpr const wchar_t* kPipePrefix = L"padwright-hid";

// Entry flags: platform failures a test can ask for.
constexpr uint16_t kFailAttributes = 0x0001;  // HidD_GetAttributes fails on this device
constexpr uint16_t kFailCaps = 0x0002;        // HidP_GetCaps reports an error status

}  // namespace sim_hid

// One present device as the simulated stack shows it.
struct SimHidEntry {
  wchar_t path[sim_hid::kMaxPath];  // the interface path: a named pipe
  uint16_t vendorId;
  uint16_t productId;
  uint16_t versionNumber;
  uint16_t inputLength;   // input report length, report id included
  uint16_t outputLength;  // output report length, report id included
  uint16_t flags;         // sim_hid::kFail*
};

// Counters of what the simulated DLLs were asked, for tests that look for leaks.
struct SimHidCounters {
  volatile LONG listsCreated;    // SetupDiGetClassDevsW lists handed out
  volatile LONG listsDestroyed;  // ... and released
  volatile LONG preparsedMade;   // HidD_GetPreparsedData blocks handed out
  volatile LONG preparsedFreed;  // ... and released
  volatile LONG attributeReads;  // successful HidD_GetAttributes calls
};

struct SimHidBlock {
  uint32_t magic;
  volatile LONG failList;  // non-zero: SetupDiGetClassDevsW fails
  uint32_t count;
  SimHidEntry entries[sim_hid::kMaxDevices];
  SimHidCounters counters;
};

class SimHidTable {
 public:
  SimHidTable() = default;
  ~SimHidTable();
  SimHidTable(const SimHidTable&) = delete;
  SimHidTable& operator=(const SimHidTable&) = delete;

  // "<base><id>" with "-<id>" from the id variable when it is set (else nothing).
  static void NameWithId(const wchar_t* base, wchar_t* out, size_t capacity);

  // Opens the block; with `create` it is made (empty) when no one has yet. A reader that
  // finds none stays closed and may try again later.
  bool Open(bool create);
  bool IsOpen() const { return block_ != nullptr; }
  void Close();

  // Copies the present devices, in enumeration order; returns their count (0 when closed).
  uint32_t Snapshot(SimHidEntry* out, uint32_t capacity);
  // The present device whose pipe is `pipeName` as the file system names it ("\name").
  bool FindByPipeName(const wchar_t* pipeName, SimHidEntry* out);
  // Replaces the list of present devices (the host's side).
  void Publish(const SimHidEntry* entries, uint32_t count);
  bool ListFails();
  void SetListFails(bool fail);
  // Counters, changed with Interlocked calls from any process; null when closed.
  SimHidCounters* Counters();

 private:
  // Holds the block's named mutex for one scope; a holder that died leaves it abandoned,
  // which still hands it over.
  class Lock {
   public:
    explicit Lock(HANDLE mutex);
    ~Lock();

   private:
    HANDLE mutex_;
  };

  HANDLE section_ = nullptr;
  HANDLE mutex_ = nullptr;
  SimHidBlock* block_ = nullptr;
};
