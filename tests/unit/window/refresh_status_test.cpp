// What the window's status line says after a version read: a controller waiting in its boot
// loader is offered Force update at once (with the pending backup's time when there is one),
// a controller kept by another program is named instead, and nothing is said otherwise.
#include <gtest/gtest.h>

#include "frontends/window/RefreshStatus.h"
#include "platform/TimeText.h"

TEST(RefreshStatus, BootLoaderAloneOffersForceUpdateAndNamesThePendingBackup) {
  const std::wstring waiting =
      L"The controller waits in its boot loader: Force update writes the firmware again";
  RefreshStatus status = StatusAfterRefresh({VersionReading::kBootLoaderAlone});
  EXPECT_EQ(status.text, waiting);
  EXPECT_TRUE(status.offerForceUpdate);

  const int64_t takenUtcMs = 1796665996123;  // 2026-12-07T17:53:16.123Z
  status =
      StatusAfterRefresh({VersionReading::kBootLoaderAlone, ControllerBlock::kNone, takenUtcMs});
  EXPECT_EQ(status.text, L"In its boot loader: Force update writes firmware and configuration of " +
                             LocalMinuteText(takenUtcMs));
  EXPECT_TRUE(status.offerForceUpdate);

  // What keeps a listed controller comes first; and a read, or nothing seen, says nothing.
  status = StatusAfterRefresh(
      {VersionReading::kBootLoaderAlone, ControllerBlock::kHeldByAnotherProgram, takenUtcMs});
  EXPECT_EQ(status.text, L"Another program holds the controller: close it, then press Refresh");
  EXPECT_FALSE(status.offerForceUpdate);
  for (VersionReading reading : {VersionReading::kRead, VersionReading::kNotRead}) {
    status = StatusAfterRefresh({reading, ControllerBlock::kNone, takenUtcMs});
    EXPECT_EQ(status.text, L"");
    EXPECT_FALSE(status.offerForceUpdate);
  }
}
