// A clock for tests: time stands still until someone sleeps, and sleeping advances it at
// once. A 10 s time-out therefore costs no real time.
#pragma once

#include <atomic>

#include "platform/Clock.h"

class VirtualClock final : public Clock {
 public:
  uint32_t NowMs() override { return now_.load(); }
  void SleepMs(uint32_t ms) override {
    now_.fetch_add(ms);
    sleeps_.fetch_add(1);
  }
  void Advance(uint32_t ms) { now_.fetch_add(ms); }
  void Set(uint32_t ms) { now_.store(ms); }
  unsigned Sleeps() const { return sleeps_.load(); }

 private:
  std::atomic<uint32_t> now_{0};
  std::atomic<unsigned> sleeps_{0};
};

// Binds a virtual clock for the lifetime of the scope.
class ScopedVirtualClock {
 public:
  ScopedVirtualClock() { BindClock(&clock_); }
  ~ScopedVirtualClock() { BindClock(nullptr); }
  ScopedVirtualClock(const ScopedVirtualClock&) = delete;
  ScopedVirtualClock& operator=(const ScopedVirtualClock&) = delete;
  VirtualClock* operator->() { return &clock_; }
  VirtualClock& operator*() { return clock_; }

 private:
  VirtualClock clock_;
};
