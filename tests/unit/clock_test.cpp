// The process-wide clock binding.
#include <gtest/gtest.h>

#include "tests/support/VirtualClock.h"

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
