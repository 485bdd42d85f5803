// The shipped padwright.exe end to end: a normal upgrade (during which the session may not
// end), a transfer cut off half-way and the recovery through Initialize and Force update with
// the configuration that Update saved, a boot loader found alone by Refresh and offered Force
// update at once, and a power switch out of reach, checked in the window
// and in what the simulated controller received.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "frontends/window/resource.h"
#include "platform/DriverBlock.h"
#include "sim/ControllerSimulator.h"
#include "sim/win/inpout/SharedPhysicalMemory.h"
#include "tests/e2e/E2eSteps.h"
#include "tests/support/UserController.h"
#include "tests/win/support/ProductSession.h"
#include "tests/win/support/WindowProbe.h"

namespace {

// The product's answer when asked whether the session may end (as a shutdown asks every
// top-level window), or -1 when it gave none.
LRESULT AnswerToEndOfSession(HWND window) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer)) {
    return -1;
  }
  return static_cast<LRESULT>(answer);
}

// Presses Update or Force update while the power byte cannot be mapped: the refusal's box
// comes up before anything has reached the controller.
void ExpectRefusedForPowerSwitch(ProductSession& session, ControllerSimulator& sim, int id) {
  sim.ClearTranscript();
  session.SetText(IDC_VERSION, L"");
  session.Click(id);
  HWND box = session.WaitForBox(kSequenceMs);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(sim.Transcript().empty());
  // None of Windows' own settings is on in the prefix: other software is the likely cause.
  HWND refusal = ExpectBox(
      session,
      L"Power switch unavailable!\n\n" + DriverBlockAdvice(DriverBlockCause::kOtherSoftware),
      L"error", false);
  ASSERT_NE(refusal, nullptr);
  EXPECT_EQ(session.Text(IDC_STATUS), L"Power switch unavailable!");
  EXPECT_TRUE(session.Dismiss(refusal));
  WaitForTailRefresh(session);
}

bool IsInside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

}  // namespace

TEST(EndToEnd, UpdateInstallsTheImageAndRestoresConfigurationAndMode) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 4);
  sim.SetReplyLatencyMs(4);  // long enough a transfer to be seen moving
  ProductSession session(sim, 58 * 400 + 21);
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
  EXPECT_EQ(session.Text(IDC_FILE_PATH), session.ImagePath());
  session.SetText(IDC_VERSION, L"");  // so that the read after the upgrade shows

  session.Click(IDC_UPDATE);
  ASSERT_TRUE(probe::WaitFor(
      [&] {
        int position = session.ProgressPosition();
        return position >= 250 && position <= 900 &&
               session.Text(IDC_STATUS).rfind(L"Upgrading, progress: ", 0) == 0;
      },
      kSequenceMs));
  EXPECT_FALSE(session.Enabled(IDC_UPDATE));
  EXPECT_FALSE(session.Enabled(IDC_REFRESH));
  EXPECT_FALSE(session.Enabled(IDC_SELECT));
  // A shutdown or restart would cut the transfer off: refused.
  EXPECT_EQ(AnswerToEndOfSession(session.Window()), FALSE);
  session.ScreenshotMoving(L"e2e-transfer.png");

  HWND box = ExpectBox(session, L"Upgrade success", L"info");
  ASSERT_NE(box, nullptr);
  session.Screenshot(L"e2e-success.png", box);
  // The work is done: while the box waits, nothing holds off a shutdown.
  EXPECT_EQ(AnswerToEndOfSession(session.Window()), TRUE);
  EXPECT_TRUE(session.Dismiss(box));
  EXPECT_EQ(session.ProgressPosition(), 1000);
  // The version line is read again once the buttons are back.
  EXPECT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 4 Mode: 7", 20000));
  EXPECT_TRUE(session.Enabled(IDC_UPDATE) && session.Enabled(IDC_REFRESH) &&
              session.Enabled(IDC_SELECT));
  EXPECT_EQ(AnswerToEndOfSession(session.Window()), TRUE);

  EXPECT_EQ(sim.ReceivedImage(), session.Image());
  EXPECT_TRUE(sim.ImageComplete());
  EXPECT_TRUE(sim.Violations().empty());
  EXPECT_EQ(PayloadsOf(sim, CommandCode::WriteGlobalConfig), Bytes(UserGlobal(3)));
  EXPECT_EQ(PayloadsOf(sim, CommandCode::WriteButtonBlock), Bytes(UserButtons()));
  EXPECT_EQ(sim.GetButtonConfig(), UserButtons());
  EXPECT_EQ(sim.SaveCount(), 1u);
  EXPECT_EQ(sim.ModesSet(), std::vector<uint16_t>{kUserMode});
  EXPECT_EQ(session.Close(), 0u);
}

TEST(EndToEnd, TransferCutOffHalfwayIsRecoveredWithTheConfigurationUpdateSaved) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 4);
  // The transfer erases the firmware and the configuration; the controller then vanishes
  // half-way, as when its cable or power goes.
  sim.SetTransferErases(true);
  sim.Inject(Step::DataPacket, 50, Fault::DeviceGone);
  ProductSession session(sim, 58 * 100);
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
  RECT collapsed = probe::RectOf(session.Window());
  EXPECT_FALSE(session.Enabled(IDC_INITIALIZE));

  session.Click(IDC_UPDATE);
  ExpectOutcomeBox(session, L"Upgrade failed!", L"error", L"e2e-failure.png");
  RECT full = probe::RectOf(session.Window());
  int width = full.right - full.left;
  int height = full.bottom - full.top;
  EXPECT_EQ(width, collapsed.right - collapsed.left);
  EXPECT_GT(height, collapsed.bottom - collapsed.top);
  // Centred in the work area of its monitor.
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(session.Window(), MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  EXPECT_EQ(full.left, work.left + ((work.right - work.left) - width) / 2);
  EXPECT_EQ(full.top, work.top + ((work.bottom - work.top) - height) / 2);
  EXPECT_TRUE(IsInside(probe::RectOf(session.Item(IDC_FORCE_UPDATE)), full));
  EXPECT_TRUE(session.Enabled(IDC_INITIALIZE));
  EXPECT_FALSE(session.Enabled(IDC_FORCE_UPDATE));
  ASSERT_EQ(sim.GetButtonConfig(), ButtonConfig{});  // its configuration is gone
  sim.ClearFaults();

  // Recovery: the controller, with half a firmware, comes back only as its boot loader, so
  // Initialize can back nothing up; Update's copy is what goes back.
  session.Click(IDC_INITIALIZE);
  ASSERT_TRUE(session.WaitForText(IDC_STATUS, kInitializeOk, kSequenceMs));
  EXPECT_TRUE(session.Enabled(IDC_FORCE_UPDATE));
  EXPECT_FALSE(session.Enabled(IDC_INITIALIZE));

  session.Click(IDC_FORCE_UPDATE);
  HWND box = session.WaitForBox(kSequenceMs);
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(session.Enabled(IDC_FORCE_UPDATE));  // only while the box is up
  EXPECT_EQ(probe::MessageBoxText(box), L"Upgrade success");
  EXPECT_TRUE(session.Dismiss(box));
  EXPECT_TRUE(probe::WaitFor([&] { return session.Enabled(IDC_FORCE_UPDATE); }, 10000));
  EXPECT_EQ(sim.ReceivedImage(), session.Image());
  EXPECT_TRUE(sim.ImageComplete());
  GlobalConfig expected = UserGlobal(3);
  expected[kFirmwareVersionByte] = 4;  // the new firmware's own version
  EXPECT_EQ(sim.GetGlobalConfig(), expected);
  EXPECT_EQ(sim.GetButtonConfig(), UserButtons());
  EXPECT_EQ(sim.ModesSet(), std::vector<uint16_t>{kUserMode});
  EXPECT_EQ(session.Close(), 0u);
}

TEST(EndToEnd, ABootLoaderFoundByRefreshIsOfferedForceUpdateAtOnceAndLetGoWhenItIsGone) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 4);
  ProductSession session(sim, 58 * 20);
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
  const RECT collapsed = probe::RectOf(session.Window());
  EXPECT_FALSE(session.Enabled(IDC_FORCE_UPDATE));

  // Switched off and on with HOME held: the controller comes up as its boot loader alone.
  auto powerCycle = [&sim](bool homeHeld, SimState comesUpAs) {
    sim.SetHomeHeld(homeHeld);
    sim.SetPower(false);
    sim.SetPower(true);
    ASSERT_TRUE(probe::WaitFor([&] { return sim.State() == comesUpAs; }));
    sim.SetHomeHeld(false);
  };
  powerCycle(true, SimState::BootLoader);
  session.Click(IDC_REFRESH);
  EXPECT_TRUE(session.WaitForText(
      IDC_STATUS,
      L"The controller waits in its boot loader: Force update writes the firmware again", 20000));
  EXPECT_EQ(session.Text(IDC_VERSION), L"Firmware Version: Error");
  EXPECT_TRUE(session.Enabled(IDC_FORCE_UPDATE));
  EXPECT_TRUE(session.Enabled(IDC_UPDATE));
  const RECT full = probe::RectOf(session.Window());
  EXPECT_GT(full.bottom - full.top, collapsed.bottom - collapsed.top);
  EXPECT_TRUE(IsInside(probe::RectOf(session.Item(IDC_FORCE_UPDATE)), full));
  session.Screenshot(L"e2e-boot-loader-alone.png");

  // Back in normal mode: the next Refresh reads the version and lets the status line go.
  powerCycle(false, SimState::Normal);
  // Refresh, as a user would press it again until the version shows.
  EXPECT_TRUE(probe::WaitFor([&session] {
    session.Click(IDC_REFRESH);
    return session.Text(IDC_VERSION) == L"Firmware Version: 3 Mode: 7";
  }));
  EXPECT_TRUE(session.WaitForText(IDC_STATUS, L"", 20000));
  EXPECT_EQ(session.Close(), 0u);
}

TEST(EndToEnd, ForceUpdateRestoresWhatInitializeBackedUp) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 5);
  ProductSession session(sim, 58 * 100 + 3);
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));

  // An upgrade whose global backup gets a broken reply fails before any transfer.
  sim.Inject(Step::GlobalRead, 0, Fault::ShortReply);
  session.Click(IDC_UPDATE);
  ExpectOutcomeBox(session, L"Upgrade failed!", L"error", L"");
  EXPECT_TRUE(sim.Requests(SimDevice::BootLoader).empty());

  sim.SetHomeHeld(true);
  session.Click(IDC_INITIALIZE);
  ASSERT_TRUE(session.WaitForText(IDC_STATUS, kInitializeOk, kSequenceMs));
  sim.SetHomeHeld(false);
  session.Click(IDC_FORCE_UPDATE);
  ExpectOutcomeBox(session, L"Upgrade success", L"info", L"e2e-forced-success.png");

  EXPECT_EQ(sim.ReceivedImage(), session.Image());
  EXPECT_EQ(PayloadsOf(sim, CommandCode::WriteGlobalConfig), Bytes(UserGlobal(3)));
  EXPECT_EQ(PayloadsOf(sim, CommandCode::WriteButtonBlock), Bytes(UserButtons()));
  EXPECT_EQ(sim.GetButtonConfig(), UserButtons());
  EXPECT_EQ(sim.ModesSet(), std::vector<uint16_t>{kUserMode});
  EXPECT_EQ(session.Close(), 0u);
}

TEST(EndToEnd, PowerSwitchOutOfReachStopsEveryCommandBeforeTheController) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 5);
  ProductSession session(sim, 58 * 100);
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
  // The physical-memory library's driver cannot load (a blocklist, memory integrity): every
  // map fails.
  SharedPhysicalMemory physical;
  ASSERT_TRUE(physical.Open());
  physical.SetMapFailure(true);

  // Update ends there, like an unreadable image: no growing, no Initialize.
  RECT collapsed = probe::RectOf(session.Window());
  ExpectRefusedForPowerSwitch(session, sim, IDC_UPDATE);
  RECT after = probe::RectOf(session.Window());
  EXPECT_EQ(after.bottom - after.top, collapsed.bottom - collapsed.top);
  EXPECT_FALSE(session.Enabled(IDC_INITIALIZE));

  // A failed Update offers Initialize, which says so and is offered again.
  physical.SetMapFailure(false);
  sim.Inject(Step::GlobalRead, 0, Fault::ShortReply);
  session.SetText(IDC_VERSION, L"");
  session.Click(IDC_UPDATE);
  ExpectOutcomeBox(session, L"Upgrade failed!", L"error", L"");
  WaitForTailRefresh(session);
  ASSERT_TRUE(session.Enabled(IDC_INITIALIZE));
  physical.SetMapFailure(true);
  sim.ClearTranscript();
  session.Click(IDC_INITIALIZE);
  EXPECT_TRUE(session.WaitForText(IDC_STATUS, L"Power switch unavailable!", kSequenceMs));
  EXPECT_TRUE(probe::WaitFor([&] { return session.Enabled(IDC_INITIALIZE); }, 10000));
  EXPECT_TRUE(sim.Transcript().empty());

  // A found boot loader offers Force update, which ends there too.
  physical.SetMapFailure(false);
  sim.SetHomeHeld(true);
  session.Click(IDC_INITIALIZE);
  ASSERT_TRUE(session.WaitForText(IDC_STATUS, kInitializeOk, kSequenceMs));
  sim.SetHomeHeld(false);
  physical.SetMapFailure(true);
  ExpectRefusedForPowerSwitch(session, sim, IDC_FORCE_UPDATE);
  EXPECT_TRUE(sim.Requests(SimDevice::BootLoader).empty());
  EXPECT_TRUE(probe::WaitFor([&] { return session.Enabled(IDC_FORCE_UPDATE); }, 10000));
  EXPECT_EQ(session.Close(), 0u);
}
