// Replaces the global operator new and delete of the benchmark binary to count allocations.
// Kept in its own unit so that nothing inlines the pair into code that uses them.
#include "bench/native/AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<uint64_t> allocations{0};
}  // namespace

uint64_t AllocationCount() {
  return allocations.load(std::memory_order_relaxed);
}

void* operator new(size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) {
    return p;
  }
  throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, size_t) noexcept {
  std::free(p);
}
