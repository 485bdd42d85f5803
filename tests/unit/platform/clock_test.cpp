// The simulators' clock binding, and the tick-count clock of Windows.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/TickClock.h"
#include "tests/support/VirtualClock.h"

namespace {

// A 64-bit tick count that moves only when slept.
uint64_t fakeTicks = 0;

}  // namespace

TEST(Clock, BoundVirtualClockAdvancesOnlyWhenSlept) {
  ScopedVirtualClock clock;
  uint32_t start = SimNowMs();
  EXPECT_EQ(SimNowMs(), start);
  SimSleepMs(10000);
  EXPECT_EQ(SimNowMs() - start, 10000u);
  EXPECT_EQ(clock->Sleeps(), 1u);
}

TEST(Clock, UnbindingRestoresTheSteadyClock) {
  {
    ScopedVirtualClock clock;
    clock->Set(123456789);
    EXPECT_EQ(SimNowMs(), 123456789u);
  }
  uint32_t a = SimNowMs();
  SimSleepMs(2);
  EXPECT_GE(SimNowMs() - a, 2u);
}

TEST(TickClock, CountsFromItsStartAcrossTheWrapsOfBothThirtyTwoBitCounts) {
  // Made 100 ms before a 32-bit tick count (GetTickCount's) wraps, after 49.7 days.
  fakeTicks = 0xFFFFFFFFull - 99;
  TickClock clock([] { return fakeTicks; }, [](uint32_t ms) { fakeTicks += ms; });
  EXPECT_EQ(clock.NowMs(), 0u);
  clock.SleepMs(250);
  EXPECT_EQ(clock.NowMs(), 250u);
  // 49.7 days into the process its own 32-bit value wraps: waits subtract two readings.
  fakeTicks += 0xFFFFFFFFull - 250 - 99;
  const uint32_t before = clock.NowMs();
  EXPECT_EQ(before, 0xFFFFFF9Cu);
  clock.SleepMs(250);
  EXPECT_EQ(clock.NowMs() - before, 250u);
  EXPECT_EQ(clock.NowMs(), 150u);
}
