// The product's physical-memory pair: the physical-memory library inpoutx64.dll, imported by
// ordinal (11 maps a physical range, 12 unmaps it).
#pragma once

#include "platform/PhysicalMemory.h"

class InpOutPhysicalMemory final : public PhysicalMemory {
 public:
  void* Map(uint64_t physicalAddress, uint32_t length, void** handle) override;
  void Unmap(void* handle, void* mapped) override;
};
