// CLOCK_MONOTONIC behind the clock seam.
#include "platform/linux/MonotonicClock.h"

#include <cerrno>
#include <ctime>

uint64_t MonotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

MonotonicClock::MonotonicClock() : startMs_(MonotonicMs()) {}

uint32_t MonotonicClock::NowMs() {
  return static_cast<uint32_t>(MonotonicMs() - startMs_);
}

void MonotonicClock::SleepMs(uint32_t ms) {
  timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  // A signal handler that defers an interrupt returns here with the rest still to sleep.
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}
