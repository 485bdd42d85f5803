// The physical-memory pair behind the power switch on Linux: /dev/mem, mapped a page at a
// time. Needs root, and a kernel that lets /dev/mem reach the address (no lockdown, and
// CONFIG_STRICT_DEVMEM / CONFIG_IO_STRICT_DEVMEM not in the way).
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/PhysicalMemory.h"

class DevMemPhysicalMemory final : public PhysicalMemory {
 public:
  // Which call failed last, so a front-end can name the cause.
  enum class FailedStep { kNone, kOpen, kMap };

  void* Map(uint64_t physicalAddress, uint32_t length, void** handle) override;
  void Unmap(void* handle, void* mapped) override;

  FailedStep LastFailedStep() const { return failedStep_; }
  int LastError() const { return lastErrno_; }

 private:
  std::atomic<FailedStep> failedStep_{FailedStep::kNone};
  std::atomic<int> lastErrno_{0};
};
