// The worker registry and CFrameDlg's worker start: the window object outlives every worker,
// and a stop request reaches long waits.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "frontends/window/FrameDlg.h"
#include "tests/win/ui/FrameParts.h"
#include "ui/WorkerRegistry.h"

namespace {

TEST(WorkerRegistry, CountsWorkersAndRefusesNewOnesAfterStop) {
  CWorkerRegistry registry;
  EXPECT_TRUE(registry.WaitUntilIdle(0));
  EXPECT_TRUE(registry.Enter());
  EXPECT_TRUE(registry.Enter());
  EXPECT_EQ(registry.LiveCount(), 2u);
  EXPECT_FALSE(registry.WaitUntilIdle(20));
  registry.Leave();
  EXPECT_FALSE(registry.WaitUntilIdle(0));
  EXPECT_FALSE(registry.StopRequested());
  registry.RequestStop();
  EXPECT_TRUE(registry.StopRequested());
  EXPECT_FALSE(registry.Enter());
  EXPECT_EQ(registry.LiveCount(), 1u);
  std::thread last([&] {
    Sleep(50);
    registry.Leave();
  });
  EXPECT_TRUE(registry.WaitUntilIdle(10000));
  last.join();
  registry.Leave();  // an extra Leave does not wrap the count
  EXPECT_EQ(registry.LiveCount(), 0u);
}

TEST(FrameWorkers, DestructionWaitsForRunningWorkers) {
  std::atomic<bool> finished{false};
  std::atomic<bool> sawStop{false};
  {
    FrameParts parts;
    CFrameDlg frame(parts.context, parts.link);
    ASSERT_TRUE(frame.StartWorker([&] {
      // A long wait that polls the stop flag, then one last touch of the frame.
      while (!frame.CloseRequested()) {
        Sleep(10);
      }
      sawStop = true;
      Sleep(100);
      frame.SetBusy(false, false);
      finished = true;
    }));
    Sleep(30);
    EXPECT_FALSE(sawStop);
  }
  EXPECT_TRUE(sawStop);
  EXPECT_TRUE(finished);
}

TEST(FrameWorkers, NoWorkerStartsOnceTheWindowHasClosed) {
  FrameParts parts;
  CFrameDlg frame(parts.context, parts.link);
  std::atomic<int> runs{0};
  ASSERT_TRUE(frame.StartWorker([&] { ++runs; }));
  frame.WaitForWorkers();
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(frame.CloseRequested());
  EXPECT_FALSE(frame.StartWorker([&] { ++runs; }));
  Sleep(50);
  EXPECT_EQ(runs, 1);
}

}  // namespace
