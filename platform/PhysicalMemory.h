// The map/unmap pair through which the power switch reaches physical memory. The product
// hands the physical-memory library's two exports to its run; tests a pair over a byte array.
#pragma once

#include <cstdint>

class PhysicalMemory {
 public:
  virtual ~PhysicalMemory() = default;
  // Maps `length` bytes at `physicalAddress` into the process. Returns the mapped bytes and
  // stores the mapping's handle in *handle, or returns nullptr when the range cannot be mapped.
  virtual void* Map(uint64_t physicalAddress, uint32_t length, void** handle) = 0;
  // Releases a mapping made by Map.
  virtual void Unmap(void* handle, void* mapped) = 0;
};
