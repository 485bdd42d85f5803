// The named shared-memory block behind the stand-in physical-memory library: one 4 KiB page
// of "physical memory" around the controller's power byte, and counters of what the library
// saw. The stand-in DLL, the tests and the simulator host each open it through this class.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace shared_physical {

// The physical page that can be mapped; everything outside it is refused.
constexpr uint64_t kWindowBase = 0xFE800000;
constexpr uint32_t kWindowBytes = 0x1000;
// Where the page lies in the block: views must start at a multiple of 64 KiB.
constexpr uint32_t kWindowOffset = 0x10000;
constexpr uint32_t kBlockBytes = kWindowOffset + kWindowBytes;
constexpr uint64_t kPowerAddress = 0xFE80042D;
constexpr uint32_t kMagic = 0x4D505750;  // "PWPM"
// Environment variable whose value, when set, is added to the block's name so that parallel
// runs each have their own block.
constexpr const wchar_t* kIdVariable = L"PADWRIGHT_SIM_ID";

}  // namespace shared_physical

// The block's header. Counters are changed with Interlocked* calls from any process.
struct SharedPhysicalHeader {
  uint32_t magic;
  volatile LONG failMaps;     // non-zero: every map fails ("power switch unavailable")
  volatile LONG maps;         // maps that succeeded
  volatile LONG refusedMaps;  // maps refused: outside the page, empty, or failMaps set
  volatile LONG unmaps;       // unmaps of live mappings
  volatile LONG badUnmaps;    // unmaps whose handle and pointer match no live mapping
  volatile LONG reads;        // mappings whose bytes were read (before any write through them)
  volatile LONG writes;       // mappings whose bytes were written
  volatile LONG lastMapLength;
  volatile LONG64 lastMapAddress;
};

class SharedPhysicalMemory {
 public:
  SharedPhysicalMemory() = default;
  ~SharedPhysicalMemory();
  SharedPhysicalMemory(const SharedPhysicalMemory&) = delete;
  SharedPhysicalMemory& operator=(const SharedPhysicalMemory&) = delete;

  // "Local\PadwrightPhysicalMemory", followed by "-" and the id variable's value when set.
  static std::wstring BlockName();

  // Opens the block, creating it (all zero) when no one has yet. True when it is usable.
  bool Open();
  bool IsOpen() const { return base_ != nullptr; }
  void Close();

  // The section, for mapping views of the page (the stand-in DLL maps one per request).
  HANDLE Section() const { return section_; }
  SharedPhysicalHeader& Header() const { return *reinterpret_cast<SharedPhysicalHeader*>(base_); }
  // The page as it is now: byte i is physical address kWindowBase + i.
  volatile unsigned char* Window() const { return base_ + shared_physical::kWindowOffset; }

  unsigned char PowerByte() const;
  void SetPowerByte(unsigned char value);
  bool PowerOn() const { return (PowerByte() & 0x01) != 0; }
  // Makes every map fail (true) or succeed again (false).
  void SetMapFailure(bool fail);
  // Zeroes every counter; leaves the page and the failure switch as they are.
  void ResetCounters();

 private:
  HANDLE section_ = nullptr;
  unsigned char* base_ = nullptr;
};
