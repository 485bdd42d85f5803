// The version line of padwright.exe against the controller simulator, hosted in this process
// behind the simulated HID stack that the test prefix gives padwright.exe: the block read at
// start-up, Refresh reading it again, and the line once the controller has gone.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "device/CommandReport.h"
#include "device/ConfigBlocks.h"
#include "frontends/window/resource.h"
#include "sim/ControllerSimulator.h"
#include "tests/win/support/PngWriter.h"
#include "tests/win/support/ProductSession.h"
#include "tests/win/support/ScreenCapture.h"

namespace {

GlobalConfig Block(uint8_t version, uint8_t mode) {
  GlobalConfig global{};
  for (size_t i = 0; i < global.size(); ++i) {
    global[i] = static_cast<uint8_t>(0x40 + i);  // the rest of the block is not shown
  }
  global[0] = version;
  global[12] = mode;
  return global;
}

// Every request the controller received was a read of the global block: reading the version
// never changes the controller.
void ExpectOnlyGlobalReads(ControllerSimulator& sim, size_t atLeast) {
  std::vector<CommandReport> requests = sim.Requests(SimDevice::Controller);
  EXPECT_GE(requests.size(), atLeast);
  for (const CommandReport& request : requests) {
    EXPECT_EQ(request.Command(), static_cast<uint8_t>(CommandCode::ReadGlobalConfig));
  }
  EXPECT_TRUE(sim.Requests(SimDevice::BootLoader).empty());
  EXPECT_TRUE(sim.Violations().empty());
}

TEST(PadwrightExeVersion, ShowsTheControllersVersionAndModeAndErrorOnceItIsGone) {
  ControllerSimulator sim;
  sim.SetGlobalConfig(Block(5, 2));
  ProductSession app(sim, 58 * 10);
  ASSERT_TRUE(app.Start());
  EXPECT_TRUE(app.WaitForText(IDC_VERSION, L"Firmware Version: 5 Mode: 2"));
  ExpectOnlyGlobalReads(sim, 1);

  screen::Capture capture;
  EXPECT_TRUE(screen::GrabSettled(app.Window(), &capture));
  EXPECT_TRUE(png::WriteCapture(capture, png::ScreenshotPath(L"ui-main-window.png")));

  // Refresh reads again; both bytes are shown as unsigned.
  sim.SetGlobalConfig(Block(200, 255));
  app.Click(IDC_REFRESH);
  EXPECT_TRUE(app.WaitForText(IDC_VERSION, L"Firmware Version: 200 Mode: 255"));
  ExpectOnlyGlobalReads(sim, 2);

  // Unplugged: the open finds no controller.
  sim.SetPower(false);
  app.Click(IDC_REFRESH);
  EXPECT_TRUE(app.WaitForText(IDC_VERSION, L"Firmware Version: Error"));
  EXPECT_EQ(app.Close(), 0u);
}

}  // namespace
