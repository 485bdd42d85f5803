// The product's clock over GetTickCount64() and Sleep().
#include "platform/win/WindowsClock.h"

#include <windows.h>

// Not the C runtime's clock(): msvcrt's counts system time since start, which a time
// correction steps, and a step backwards would end every wait at once.
WindowsClock::WindowsClock()
    : TickClock([]() -> uint64_t { return GetTickCount64(); }, [](uint32_t ms) { ::Sleep(ms); }) {}
