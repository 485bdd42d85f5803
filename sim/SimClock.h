// The time of the simulator, its transport and its hosts. Whoever runs a simulator binds the
// clock of that run (a native test its virtual clock, a Wine test the machine's), so that the
// simulated controller and the link under test live in one time; until then a portable
// steady clock. The product never reads it: its parts take their clock when made.
#pragma once

#include <cstdint>

#include "platform/Clock.h"

// The bound clock, or the portable steady clock.
Clock& SimClock();
// Binds `clock` for the simulators of the process (nullptr restores the steady clock). Bind
// before any simulator runs; the object must outlive its binding.
void BindSimClock(Clock* clock);

inline uint32_t SimNowMs() {
  return SimClock().NowMs();
}
inline void SimSleepMs(uint32_t ms) {
  SimClock().SleepMs(ms);
}
