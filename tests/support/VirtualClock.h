// A clock for tests: time stands still until someone sleeps, and sleeping advances it at
// once; its time of day starts at 2026-03-01 10:00:00 UTC and moves with it. A 10 s time-out
// therefore costs no real time. Paced, every sleep also lasts `pace` real microseconds per virtual
// millisecond, so that a long wait (15 ms for 15 s at pace 1) gives other threads time to act
// meanwhile, as the race tests need.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/Clock.h"
#include "sim/SimClock.h"

class VirtualClock final : public Clock {
 public:
  static constexpr int64_t kStartUtcMs = 1772359200000;  // 2026-03-01T10:00:00Z

  explicit VirtualClock(uint32_t pace = 0) : pace_(pace) {}

  uint32_t NowMs() override { return now_.load(); }
  void SleepMs(uint32_t ms) override {
    now_.fetch_add(ms);
    sleeps_.fetch_add(1);
    if (pace_ != 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(uint64_t{ms} * pace_));
    }
  }
  int64_t UtcMs() override { return kStartUtcMs + now_.load(); }
  void Advance(uint32_t ms) { now_.fetch_add(ms); }
  void Set(uint32_t ms) { now_.store(ms); }
  unsigned Sleeps() const { return sleeps_.load(); }

 private:
  const uint32_t pace_;
  std::atomic<uint32_t> now_{0};
  std::atomic<unsigned> sleeps_{0};
};

// A virtual clock bound as the simulators' for the lifetime of the scope; a test hands the
// same clock to what it runs.
class ScopedVirtualClock {
 public:
  explicit ScopedVirtualClock(uint32_t pace = 0) : clock_(pace) { BindSimClock(&clock_); }
  ~ScopedVirtualClock() { BindSimClock(nullptr); }
  ScopedVirtualClock(const ScopedVirtualClock&) = delete;
  ScopedVirtualClock& operator=(const ScopedVirtualClock&) = delete;
  VirtualClock* operator->() { return &clock_; }
  VirtualClock& operator*() { return clock_; }

 private:
  VirtualClock clock_;
};
