// DLL planting: copies of hid.dll and setupapi.dll that leave a marker when loaded, put
// beside a program. The control program, which imports them the ordinary way, loads them;
// padwright.exe, run end to end beside them, takes both from System32 (here the simulated
// HID stack of the test prefix) and never loads the planted ones.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "frontends/window/resource.h"
#include "platform/win/FileSystem.h"
#include "sim/ControllerSimulator.h"
#include "tests/support/UserController.h"
#include "tests/win/support/ChildProcess.h"
#include "tests/win/support/ProductSession.h"
#include "tests/win/support/TestFolder.h"
#include "tests/win/support/WindowProbe.h"

namespace {

const wchar_t* const kPlanted[] = {L"hid.dll", L"setupapi.dll"};

std::wstring PlantedDll(const std::wstring& name) {
  return GetModuleDirectory() + L"\\..\\planted\\" + name;
}

void Plant(const TestFolder& folder) {
  for (const wchar_t* dll : kPlanted) {
    ASSERT_TRUE(folder.Copy(PlantedDll(dll), dll)) << "no planted " << testing::PrintToString(dll);
  }
}

}  // namespace

TEST(DllPlanting, AProgramSearchingItsOwnFolderLoadsThePlantedDlls) {
  TestFolder folder(L"planting-control");
  Plant(folder);
  ASSERT_TRUE(folder.Copy(GetModuleDirectory() + L"\\plant_probe.exe", L"plant_probe.exe"));
  EXPECT_EQ(RunAndWait(folder.File(L"plant_probe.exe"), L"", folder.Path()), 0);
  for (const wchar_t* dll : kPlanted) {
    EXPECT_TRUE(folder.Exists(std::wstring(dll) + L".planted"))
        << testing::PrintToString(dll) << " beside the control program was not loaded";
  }
}

// The whole upgrade through the real window, with the planted DLLs beside the exe.
static void UpgradeBeside(const TestFolder& folder) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 4);
  ProductSession session(sim, 58 * 60 + 7, folder.Path());
  ASSERT_TRUE(session.Start());
  // Refresh reached the simulated controller: through System32's hid.dll and setupapi.dll.
  ASSERT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
  session.Click(IDC_UPDATE);
  HWND box = session.WaitForBox(90000);
  ASSERT_NE(box, nullptr) << testing::PrintToString(session.Text(IDC_STATUS));
  EXPECT_EQ(probe::MessageBoxText(box), L"Upgrade success");
  EXPECT_TRUE(session.Dismiss(box));
  EXPECT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 4 Mode: 7", 20000));
  EXPECT_EQ(sim.ReceivedImage(), session.Image());
  EXPECT_TRUE(sim.ImageComplete());
  EXPECT_EQ(session.Close(), 0u);
}

TEST(DllPlanting, PadwrightTakesHidAndSetupapiFromSystem32AndStillUpgrades) {
  TestFolder folder(L"planting-product");
  Plant(folder);
  UpgradeBeside(folder);
  for (const wchar_t* dll : kPlanted) {
    EXPECT_FALSE(folder.Exists(std::wstring(dll) + L".planted"))
        << "padwright.exe loaded the " << testing::PrintToString(dll) << " planted beside it";
  }
}
