// The power byte as physical memory: mapping it, and passing bit 0 on to the simulator.
#include "sim/SimPhysicalMemory.h"

namespace {

// The handle handed out with the mapping; any non-null value the pair recognises.
int mappingToken;

}  // namespace

void* SimPhysicalMemory::Map(uint64_t physicalAddress, uint32_t length, void** handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (unavailable_ || handle == nullptr || physicalAddress != kPowerByteAddress || length != 1 ||
      mapsLeft_ == 0u) {
    return nullptr;
  }
  if (mapsLeft_) {
    --*mapsLeft_;
  }
  ++maps_;
  *handle = &mappingToken;
  return &byte_;
}

void SimPhysicalMemory::Unmap(void* handle, void* mapped) {
  bool changed = false;
  bool on = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (handle != &mappingToken || mapped != &byte_) {
      return;
    }
    ++unmaps_;
    on = (byte_ & 0x01) != 0;
    changed = on != applied_;
    applied_ = on;
  }
  if (changed) {
    sim_.SetPower(on);  // outside our lock: the simulator has its own
  }
}

void SimPhysicalMemory::SetUnavailable(bool unavailable) {
  std::lock_guard<std::mutex> lock(mutex_);
  unavailable_ = unavailable;
  mapsLeft_.reset();
}

void SimPhysicalMemory::SetUnavailableAfter(unsigned maps) {
  std::lock_guard<std::mutex> lock(mutex_);
  unavailable_ = false;
  mapsLeft_ = maps;
}

uint8_t SimPhysicalMemory::PowerByte() {
  std::lock_guard<std::mutex> lock(mutex_);
  return byte_;
}

unsigned SimPhysicalMemory::MapCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return maps_;
}

unsigned SimPhysicalMemory::UnmapCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return unmaps_;
}
