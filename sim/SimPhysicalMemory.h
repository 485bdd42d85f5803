// A physical-memory pair over the one byte that powers the controller: the power switch
// maps it, changes bit 0 and unmaps it, and at the unmap a changed bit 0 switches the
// simulator's power. Any other range cannot be mapped, nor anything while "unavailable".
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>

#include "platform/PhysicalMemory.h"
#include "sim/ControllerSimulator.h"

class SimPhysicalMemory final : public PhysicalMemory {
 public:
  static constexpr uint64_t kPowerByteAddress = 0xFE80042D;

  // `initial` is the power byte's value; its bit 0 is taken to agree with the simulator.
  explicit SimPhysicalMemory(ControllerSimulator& sim, uint8_t initial = 0x01)
      : sim_(sim), byte_(initial), applied_(initial & 0x01) {}

  void* Map(uint64_t physicalAddress, uint32_t length, void** handle) override;
  void Unmap(void* handle, void* mapped) override;

  // The physical-memory library cannot map anything (e.g. no administrator rights).
  void SetUnavailable(bool unavailable);
  // The next `maps` mappings work and every later one fails: a switch that passes the check
  // before a sequence and then stops working.
  void SetUnavailableAfter(unsigned maps);
  uint8_t PowerByte();
  unsigned MapCount();
  unsigned UnmapCount();

 private:
  ControllerSimulator& sim_;
  std::mutex mutex_;
  uint8_t byte_;
  bool applied_;  // the power state last passed on to the simulator
  bool unavailable_ = false;
  std::optional<unsigned> mapsLeft_;
  unsigned maps_ = 0;
  unsigned unmaps_ = 0;
};
