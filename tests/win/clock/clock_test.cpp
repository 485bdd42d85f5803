// The product's clock: the tick count moves with wall time, so a Sleep shows in it.
#include <gtest/gtest.h>

#include "platform/win/WindowsClock.h"

TEST(WindowsClock, CountsWallTimeAcrossSleep) {
  WindowsClock clock;
  uint32_t start = clock.NowMs();
  clock.SleepMs(200);
  uint32_t elapsed = clock.NowMs() - start;
  // The tick count moves in steps of the system timer (about 16 ms), so each reading may
  // lag by up to one step.
  EXPECT_GE(elapsed, 200u - 2 * 16u);
  EXPECT_LT(elapsed, 5000u);
}
