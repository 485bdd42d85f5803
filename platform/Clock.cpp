// The time of day that every clock tells by default.
#include "platform/Clock.h"

#include <chrono>

int64_t Clock::UtcMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}
