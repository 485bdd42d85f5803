// A clock for the race tests: virtual time, as in the other native tests, but every sleep
// also lasts `pace` real microseconds per virtual millisecond, so that a 15-second wait
// lasts long enough (15 ms at pace 1) for other threads to act meanwhile.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/Clock.h"

class PacedClock final : public Clock {
 public:
  explicit PacedClock(uint32_t pace = 1) : pace_(pace) { BindClock(this); }
  ~PacedClock() override { BindClock(nullptr); }
  PacedClock(const PacedClock&) = delete;
  PacedClock& operator=(const PacedClock&) = delete;

  uint32_t NowMs() override { return now_.load(); }
  void SleepMs(uint32_t ms) override {
    now_.fetch_add(ms);
    std::this_thread::sleep_for(std::chrono::microseconds(uint64_t{ms} * pace_));
  }

 private:
  const uint32_t pace_;
  std::atomic<uint32_t> now_{0};
};
