// A demonstration of padwright.exe against the simulated controller (scripts/run.sh):
//   padwright_demo --interactive   runs the tool until the user closes it
//   padwright_demo --demonstrate   presses Update itself, saves screenshots and closes it
//   padwright_demo --guide         the pictures of the user guide (scripts/guide-images.sh)
//                                  of the collapsed window: an update, a restore that
//                                  fails and the next start's offer to write it back, as
//                                  "guide-*.png" screenshots
//   padwright_demo --guide-recovery  those of the grown window (the guide takes them at
//                                  144 DPI): an update cut off half-way and its recovery,
//                                  finished after the window's next start
// The tool, the stand-in physical-memory library and a generated "firmware.vxf" go into the
// folder "demo" beside this program's folder (for the guide: C:\Padwright).
#include <windows.h>

#include <cstdio>
#include <string>

#include "frontends/window/resource.h"
#include "platform/PathText.h"
#include "platform/win/FileSystem.h"
#include "platform/win/WindowsClock.h"
#include "sim/SimClock.h"
#include "sim/ControllerSimulator.h"
#include "tests/support/UserController.h"
#include "tests/win/support/ProductSession.h"
#include "tests/win/support/WindowProbe.h"

namespace {

std::wstring DemoFolder() {
  std::wstring folder = DirectoryOf(GetModuleDirectory()) + L"\\demo";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

// A controller running firmware 3 in mode 1; the image installs firmware 4.
void SetUpController(ControllerSimulator& sim) {
  GlobalConfig global{};
  global[kFirmwareVersionByte] = 3;
  global[kModeByte] = 1;
  sim.SetGlobalConfig(global);
  sim.SetNewFirmware(4);
  sim.SetReplyLatencyMs(3);  // a transfer of a few seconds, as on the handheld
}

// Presses Update and answers the outcome box, saving screenshots on the way.
int Demonstrate(ProductSession& session) {
  probe::WaitFor([&] { return !session.Text(IDC_VERSION).empty(); }, 20000);
  session.Screenshot(L"demo-start.png");
  session.Click(IDC_UPDATE);
  probe::WaitFor([&] { return session.ProgressPosition() >= 400; }, 60000);
  session.ScreenshotMoving(L"demo-transfer.png");
  HWND box = session.WaitForBox(90000);
  if (box == nullptr) {
    std::printf("no outcome box appeared\n");
    return 1;
  }
  session.Screenshot(L"demo-outcome.png", box);
  std::wstring outcome = probe::MessageBoxText(box);
  session.Dismiss(box);
  probe::WaitFor([&] { return session.Enabled(IDC_UPDATE); }, 20000);
  Sleep(500);  // the version line is read again once the buttons are back
  session.Screenshot(L"demo-end.png");
  std::printf("outcome: %ls; version line: %ls\n", outcome.c_str(),
              session.Text(IDC_VERSION).c_str());
  return session.Close() == 0u && outcome == L"Upgrade success" ? 0 : 1;
}

// The user's controller of the guide: firmware 3 with its own configuration in mode 7; the
// image installs firmware 4 from factory settings.
void SetUpGuideController(ControllerSimulator& sim) {
  SetUpUserController(sim, 3, 4);
  sim.SetReplyLatencyMs(3);
}

const wchar_t kGuideFolder[] = L"C:\\Padwright";
constexpr size_t kGuideImageBytes = 58 * 1200 + 40;
constexpr DWORD kSequenceMs = 90000;

// Starts the guide's session and waits for its version line.
bool StartGuideSession(ProductSession& session) {
  return session.Start() && session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000);
}

// Waits for the outcome box, saves it over the window and answers it with `button`; false
// when none came.
bool ShootOutcome(ProductSession& session, const wchar_t* name, int button = IDOK) {
  HWND box = session.WaitForBox(kSequenceMs);
  if (box == nullptr) {
    std::printf("no outcome box for %ls; status: %ls\n", name, session.Text(IDC_STATUS).c_str());
    return false;
  }
  session.Screenshot(name, box);
  return session.Answer(box, button);
}

bool GuideUpdate() {
  ControllerSimulator sim;
  SetUpGuideController(sim);
  ProductSession session(sim, kGuideImageBytes, kGuideFolder);
  if (!StartGuideSession(session)) {
    return false;
  }
  session.Screenshot(L"guide-start.png");
  session.Click(IDC_UPDATE);
  probe::WaitFor([&] { return session.ProgressPosition() >= 400; }, kSequenceMs);
  session.ScreenshotMoving(L"guide-progress.png");
  return ShootOutcome(session, L"guide-success.png") && session.Close() == 0u;
}

// The transfer stops half-way and takes the firmware and configuration with it; the
// recovery path brings both back: Initialize, then (in the window's next start, which finds
// the boot loader alone) Force update.
bool GuideRecovery() {
  ControllerSimulator sim;
  SetUpGuideController(sim);
  sim.SetTransferErases(true);
  sim.Inject(Step::DataPacket, 500, Fault::DeviceGone);
  ProductSession session(sim, kGuideImageBytes, kGuideFolder);
  if (!StartGuideSession(session)) {
    return false;
  }
  session.Click(IDC_UPDATE);
  if (!ShootOutcome(session, L"guide-failed.png")) {
    return false;
  }
  sim.ClearFaults();
  session.Click(IDC_INITIALIZE);
  if (!session.WaitForText(IDC_STATUS, L"Please release the HOME button", kSequenceMs)) {
    return false;
  }
  session.Screenshot(L"guide-initialize.png");
  if (!session.WaitForText(IDC_STATUS, L"Initialize ok\uFF0CYou can force an upgrade now\uFF01",
                           kSequenceMs)) {
    return false;
  }
  session.Screenshot(L"guide-initialize-ok.png");
  // The user closes the window here; the next start finds the boot loader alone and offers
  // Force update at once, with the configuration the update saved.
  if (session.Close() != 0u) {
    return false;
  }
  ProductSession next(sim, kGuideImageBytes, kGuideFolder, true);
  if (!next.Start() ||
      !probe::WaitFor([&] { return next.Enabled(IDC_FORCE_UPDATE); }, kSequenceMs)) {
    return false;
  }
  Sleep(500);  // the grown window repainted
  next.Screenshot(L"guide-boot-loader-at-start.png");
  next.Click(IDC_FORCE_UPDATE);
  return ShootOutcome(next, L"guide-force-update.png") && next.Close() == 0u;
}

// The image goes across, but the controller's answers to the configuration's writes are lost
// three times over; the user cancels the offer to try again. The next start asks whether to
// write the saved configuration back, and Yes does.
bool GuideRestoreWarning() {
  ControllerSimulator sim;
  SetUpGuideController(sim);
  for (uint32_t attempt = 0; attempt < 3; ++attempt) {
    sim.Inject(Step::GlobalWrite, attempt, Fault::ShortReply);
  }
  {
    ProductSession session(sim, kGuideImageBytes, kGuideFolder);
    if (!StartGuideSession(session)) {
      return false;
    }
    session.Click(IDC_UPDATE);
    if (!ShootOutcome(session, L"guide-restore-warning.png", IDCANCEL)) {
      return false;
    }
    probe::WaitFor([&] { return session.Enabled(IDC_UPDATE); }, 20000);
    if (session.Close() != 0u) {
      return false;
    }
  }
  ProductSession next(sim, kGuideImageBytes, kGuideFolder, true);
  return next.Start() && ShootOutcome(next, L"guide-startup-question.png", IDYES) &&
         ShootOutcome(next, L"guide-configuration-restored.png") && next.Close() == 0u;
}

int Guide(bool recovery) {
  CreateDirectoryW(kGuideFolder, nullptr);
  bool ok = recovery ? GuideRecovery() : GuideUpdate() && GuideRestoreWarning();
  std::printf(ok ? "guide pictures written\n" : "guide pictures incomplete\n");
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc >= 2 ? argv[1] : "";
  bool demonstrate = mode == "--demonstrate";
  bool interactive = mode == "--interactive";
  bool guide = mode == "--guide" || mode == "--guide-recovery";
  if (!demonstrate && !interactive && !guide) {
    std::printf(
        "usage: padwright_demo --interactive | --demonstrate | --guide | --guide-recovery\n");
    return 2;
  }
  static WindowsClock clock;
  BindSimClock(&clock);
  if (guide) {
    return Guide(mode == "--guide-recovery");
  }
  ControllerSimulator sim;
  SetUpController(sim);
  ProductSession session(sim, 58 * 1200 + 40, DemoFolder());
  if (!session.Start()) {
    std::printf("padwright.exe did not start\n");
    return 1;
  }
  if (demonstrate) {
    return Demonstrate(session);
  }
  std::printf("padwright.exe runs against the simulated controller; close its window to end.\n");
  std::fflush(stdout);
  return static_cast<int>(session.WaitForExit());
}
