// Heap allocations made by this process so far, counted by the benchmark binary's own
// replacement of the global operator new.
#pragma once

#include <cstdint>

uint64_t AllocationCount();
