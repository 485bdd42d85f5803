// The process-wide clock binding, and the tick-count clock that Windows binds.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/TickClock.h"
#include "tests/support/VirtualClock.h"

namespace {

// A 64-bit tick count that moves only when slept.
uint64_t fakeTicks = 0;
uint64_t ReadFakeTicks() {
  return fakeTicks;
}
void SleepFakeTicks(uint32_t ms) {
  fakeTicks += ms;
}

// A wait as the controller link measures one: readings subtracted as 32-bit values.
unsigned PausesUntil(Clock& clock, uint32_t timeoutMs, uint32_t stepMs) {
  unsigned pauses = 0;
  const uint32_t start = clock.NowMs();
  while (clock.NowMs() - start < timeoutMs) {
    clock.SleepMs(stepMs);
    ++pauses;
  }
  return pauses;
}

}  // namespace

TEST(Clock, BoundVirtualClockAdvancesOnlyWhenSlept) {
  ScopedVirtualClock clock;
  uint32_t start = NowMs();
  EXPECT_EQ(NowMs(), start);
  SleepMs(10000);
  EXPECT_EQ(NowMs() - start, 10000u);
  EXPECT_EQ(clock->Sleeps(), 1u);
}

TEST(Clock, UnbindingRestoresTheSteadyClock) {
  {
    ScopedVirtualClock clock;
    clock->Set(123456789);
    EXPECT_EQ(NowMs(), 123456789u);
  }
  uint32_t a = NowMs();
  SleepMs(2);
  EXPECT_GE(NowMs() - a, 2u);
}

TEST(TickClock, CountsFromItsStartAcrossTheWrapsOfBothThirtyTwoBitCounts) {
  // Made 100 ms before the 32-bit tick count (GetTickCount's) wraps after 49.7 days.
  fakeTicks = 0xFFFFFFFFull - 99;
  TickClock clock(ReadFakeTicks, SleepFakeTicks);
  EXPECT_EQ(clock.NowMs(), 0u);
  EXPECT_EQ(PausesUntil(clock, 10000, 200), 50u);  // across that wrap, neither short nor long
  EXPECT_EQ(clock.NowMs(), 10000u);

  // 49.7 days into the process its own 32-bit value wraps; a wait across it lasts as long.
  fakeTicks += 0xFFFFFFFFull - 10000 - 99;
  EXPECT_EQ(clock.NowMs(), 0xFFFFFF9Cu);
  EXPECT_EQ(PausesUntil(clock, 10000, 200), 50u);
  EXPECT_EQ(clock.NowMs(), 10000u - 100u);
}
