// Entry of the HID transport tests. Run with --scan-child it is instead the child process of
// the debug-line test: one presence test and one open of the controller's normal-mode ids
// against the devices its parent hosts, with the exit code telling what each returned.
#include <gtest/gtest.h>

#include <cstring>

#include "device/CommandReport.h"
#include "device/win/HidDevice.h"
#include "platform/win/WindowsClock.h"
#include "sim/SimClock.h"
#include "tests/win/support/SimulatorId.h"

namespace {

int RunScanChild() {
  CHidDevice hid;
  const bool present = hid.IsPresent(kControllerVid, kControllerPid);
  const bool opened = hid.OpenDevice(kControllerVid, kControllerPid, L"");
  hid.CloseDevice();
  return (present ? 1 : 0) | (opened ? 2 : 0);
}

}  // namespace

int main(int argc, char** argv) {
  static WindowsClock clock;
  BindSimClock(&clock);
  if (argc >= 2 && strcmp(argv[1], "--scan-child") == 0) {
    return RunScanChild();
  }
  UseOwnSimulatorId();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
