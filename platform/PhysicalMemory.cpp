// Binding of the process-wide physical-memory pair behind the power switch.
#include "platform/PhysicalMemory.h"

#include "platform/ProcessBinding.h"

namespace {

constinit ProcessBinding<PhysicalMemory> boundMemory;

}  // namespace

PhysicalMemory* GetPhysicalMemory() {
  return boundMemory.Get();
}

void BindPhysicalMemory(PhysicalMemory* memory) {
  boundMemory.Bind(memory);
}
