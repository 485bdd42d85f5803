// The one clock behind every wait and elapsed time: milliseconds of wall time since the
// process started, and sleeping in milliseconds. Windows binds its monotonic tick count and
// Sleep() (TickClock); tests bind a virtual clock that advances when slept, so no test waits
// for real. The same clock tells the time of day, for what is kept on disk.
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

// The bound clock; a portable steady clock until something else is bound.
Clock& GetClock();
// Binds `clock` for the whole process (nullptr restores the portable steady clock). Bind
// before any thread uses the clock; the object must outlive its binding.
void BindClock(Clock* clock);

inline uint32_t NowMs() {
  return GetClock().NowMs();
}
inline void SleepMs(uint32_t ms) {
  GetClock().SleepMs(ms);
}
inline int64_t UtcNowMs() {
  return GetClock().UtcMs();
}
