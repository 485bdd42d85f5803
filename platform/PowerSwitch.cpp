// Copy routines over the physical-memory pair, and the read-modify-write of the power bit.
#include "platform/PowerSwitch.h"

#include <cstring>

#include "platform/PhysicalMemory.h"

bool ReadPhysical(PhysicalMemory* memory, uint64_t physicalAddress, void* destination,
                  uint32_t length) {
  if (memory == nullptr) {
    return false;
  }
  void* handle = nullptr;
  void* mapped = memory->Map(physicalAddress, length, &handle);
  if (mapped == nullptr) {
    return false;
  }
  std::memcpy(destination, mapped, length);
  memory->Unmap(handle, mapped);
  return true;
}

bool WritePhysical(PhysicalMemory* memory, uint64_t physicalAddress, const void* source,
                   uint32_t length) {
  if (memory == nullptr) {
    return false;
  }
  void* handle = nullptr;
  void* mapped = memory->Map(physicalAddress, length, &handle);
  if (mapped == nullptr) {
    return false;
  }
  std::memcpy(mapped, source, length);
  memory->Unmap(handle, mapped);
  return true;
}

bool PowerSwitchUsable(PhysicalMemory* memory) {
  unsigned char byte = 0;
  return ReadPhysical(memory, kControllerPowerAddress, &byte, 1);
}

void SetControllerPower(PhysicalMemory* memory, bool on) {
  unsigned char byte = 0;
  // Bits 1 to 7 belong to other hardware: without a good read there is nothing safe to write.
  if (!ReadPhysical(memory, kControllerPowerAddress, &byte, 1)) {
    return;
  }
  byte = on ? static_cast<unsigned char>(byte | 0x01) : static_cast<unsigned char>(byte & 0xFE);
  WritePhysical(memory, kControllerPowerAddress, &byte, 1);
}
