// Binding of the process-wide physical-memory pair behind the power switch.
#include "platform/PhysicalMemory.h"

#include <atomic>

namespace {

std::atomic<PhysicalMemory*> boundMemory{nullptr};

}  // namespace

PhysicalMemory* GetPhysicalMemory() {
  return boundMemory.load(std::memory_order_acquire);
}

void BindPhysicalMemory(PhysicalMemory* memory) {
  boundMemory.store(memory, std::memory_order_release);
}
