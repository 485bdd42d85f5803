// The clock behind every wait and elapsed time of a run: milliseconds of wall time since an
// arbitrary start, and sleeping in milliseconds. Each front end's root makes the machine's
// (Windows its monotonic tick count and Sleep(), TickClock; Linux the monotonic clock) and
// hands it to what waits; tests hand a virtual clock that advances when slept, so no test
// waits for real. The same clock tells the time of day, for what is kept on disk.
#pragma once

#include <cstdint>

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start; differences are taken as unsigned 32-bit values.
  virtual uint32_t NowMs() = 0;
  virtual void SleepMs(uint32_t ms) = 0;
  // Milliseconds since 1970-01-01 00:00 UTC: the system's time of day, which may step.
  // Never used for a wait; only to stamp and show what outlives the process.
  virtual int64_t UtcMs();
};
