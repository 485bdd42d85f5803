// A demonstration of padwright.exe against the simulated controller (scripts/run.sh):
//   padwright_demo --interactive   runs the tool until the user closes it
//   padwright_demo --demonstrate   presses Update itself, saves screenshots and closes it
// The tool, the stand-in physical-memory library and a generated "firmware.vxf" go into the
// folder "demo" beside this program's folder.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/PathText.h"
#include "platform/win/FileSystem.h"
#include "platform/win/WindowsClock.h"
#include "sim/ControllerSimulator.h"
#include "tests/win/support/ProductSession.h"
#include "tests/win/support/WindowProbe.h"
#include "ui/resource.h"

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

}  // namespace

int main(int argc, char** argv) {
  bool demonstrate = argc >= 2 && std::strcmp(argv[1], "--demonstrate") == 0;
  bool interactive = argc >= 2 && std::strcmp(argv[1], "--interactive") == 0;
  if (!demonstrate && !interactive) {
    std::printf("usage: padwright_demo --interactive | --demonstrate\n");
    return 2;
  }
  BindWindowsClock();
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
