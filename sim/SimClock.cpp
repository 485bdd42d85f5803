// The simulators' clock (see SimClock.h).
#include "sim/SimClock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

class SteadyClock final : public Clock {
 public:
  uint32_t NowMs() override {
    auto elapsed = std::chrono::steady_clock::now() - start_;
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
  }
  void SleepMs(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

SteadyClock& DefaultClock() {
  static SteadyClock clock;
  return clock;
}

constinit std::atomic<Clock*> boundClock{nullptr};

}  // namespace

Clock& SimClock() {
  Clock* clock = boundClock.load(std::memory_order_acquire);
  return clock ? *clock : DefaultClock();
}

void BindSimClock(Clock* clock) {
  boundClock.store(clock, std::memory_order_release);
}
