// The throttled progress display of a firmware transfer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/VirtualClock.h"
#include "tests/support/RecordingView.h"
#include "workflows/ProgressDisplay.h"

TEST(ProgressDisplay, HalfwayPutsTheBarAtFiveHundredAndShowsTheElapsedTime) {
  ScopedVirtualClock clock;
  clock->Set(5000);
  RecordingView view;
  uint32_t start = 1766;
  uint32_t last = 4000;
  ShowProgress(*clock, view, 75, 150, start, last);
  EXPECT_EQ(view.Calls(), (Lines{L"progress 500",
                                 L"status Upgrading, progress: 75/150 50% elapsed time: 3234ms"}));
  EXPECT_EQ(last, 5000u);
}

TEST(ProgressDisplay, ThrottlesToMoreThanOneHundredMillisecondsExceptTheFinalCall) {
  ScopedVirtualClock clock;
  clock->Set(1000);
  RecordingView view;
  uint32_t start = 0;
  uint32_t last = 1000;
  auto callback = MakeProgressCallback(*clock, view, start, last);

  clock->Advance(100);  // exactly 100 ms: not yet
  callback(58, 150);
  EXPECT_TRUE(view.Calls().empty());
  EXPECT_EQ(last, 1000u);

  clock->Advance(1);  // 101 ms: shows
  callback(58, 150);
  EXPECT_EQ(view.Calls(), (Lines{L"progress 386",
                                 L"status Upgrading, progress: 58/150 39% elapsed time: 1101ms"}));
  EXPECT_EQ(last, 1101u);

  clock->Advance(1);  // the final call shows even 1 ms later
  callback(150, 150);
  EXPECT_EQ(view.CallsOf(L"progress"), (Lines{L"386", L"1000"}));
  EXPECT_EQ(view.CallsOf(L"status").back(),
            L"Upgrading, progress: 150/150 100% elapsed time: 1102ms");
}

TEST(ProgressDisplay, PositionIsTruncatedNotRounded) {
  ScopedVirtualClock clock;
  clock->Set(10000);
  RecordingView view;
  uint32_t start = 0;
  uint32_t last = 0;
  ShowProgress(*clock, view, 2, 3, start, last);  // 666.66... -> 666
  EXPECT_EQ(view.CallsOf(L"progress"), Lines{L"666"});
  EXPECT_EQ(view.CallsOf(L"status"), Lines{L"Upgrading, progress: 2/3 67% elapsed time: 10000ms"});
}

// A clock that moves on by itself at every reading, so the reading taken after the text is
// set differs from the one the throttle used.
class SteppingClock final : public Clock {
 public:
  uint32_t NowMs() override { return now += 7; }
  void SleepMs(uint32_t ms) override { now += ms; }
  uint32_t now = 1000;
};

TEST(ProgressDisplay, TheNextThrottleCountsFromAReadingTakenAfterTheText) {
  SteppingClock clock;
  RecordingView view;
  uint32_t start = 0;
  uint32_t last = 0;
  ShowProgress(clock, view, 1, 2, start, last);
  uint32_t afterText = clock.now;
  EXPECT_EQ(last, afterText);
  EXPECT_EQ(view.CallsOf(L"status"), Lines{L"Upgrading, progress: 1/2 50% elapsed time: 1007ms"});
}
