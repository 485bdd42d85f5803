// TickClock: the clock over a monotonic millisecond tick count and a sleep call, counting from
// the tick count it found when it was made. A tick count never steps with the time of day, so
// a time correction (a sync after resume, a manual change) cannot end or stretch a wait.
#pragma once

#include <cstdint>

#include "platform/Clock.h"

class TickClock : public Clock {
 public:
  using TickSource = uint64_t (*)();
  using Sleeper = void (*)(uint32_t ms);

  TickClock(TickSource ticks, Sleeper sleep) : ticks_(ticks), sleep_(sleep), start_(ticks()) {}

  // The 64-bit count does not wrap; the 32-bit result does after 49.7 days, which the
  // clock's callers take in their stride: they only ever subtract two readings.
  uint32_t NowMs() override { return static_cast<uint32_t>(ticks_() - start_); }
  void SleepMs(uint32_t ms) override { sleep_(ms); }

 private:
  TickSource ticks_;
  Sleeper sleep_;
  uint64_t start_;
};
