// The product's clock: clock() counts wall time on Windows, so a Sleep shows in it.
#include <gtest/gtest.h>

#include "platform/win/WindowsClock.h"

TEST(WindowsClock, CountsWallTimeAcrossSleep) {
  WindowsClock clock;
  uint32_t start = clock.NowMs();
  clock.SleepMs(50);
  uint32_t elapsed = clock.NowMs() - start;
  EXPECT_GE(elapsed, 45u);
  EXPECT_LT(elapsed, 5000u);
}
