// The clock seam on Linux: CLOCK_MONOTONIC milliseconds since the process started, and a
// sleep that goes on through signals (Ctrl+C is deferred, not allowed to shorten a pause).
#pragma once

#include <cstdint>

#include "platform/Clock.h"

class MonotonicClock final : public Clock {
 public:
  MonotonicClock();
  uint32_t NowMs() override;
  void SleepMs(uint32_t ms) override;

 private:
  uint64_t startMs_;
};

// Milliseconds on CLOCK_MONOTONIC from an arbitrary origin; also what the hidraw transport
// measures its time-outs with.
uint64_t MonotonicMs();
