// The product's clock over clock() and Sleep().
#include "platform/win/WindowsClock.h"

#include <windows.h>

#include <ctime>

// CLOCKS_PER_SEC is 1000 in every Windows C runtime, and Windows' clock() counts wall time,
// not processor time, so it is the milliseconds since the process started.
static_assert(CLOCKS_PER_SEC == 1000);

uint32_t WindowsClock::NowMs() {
  return static_cast<uint32_t>(std::clock());
}

void WindowsClock::SleepMs(uint32_t ms) {
  ::Sleep(ms);
}

void BindWindowsClock() {
  static WindowsClock clock;
  BindClock(&clock);
}
