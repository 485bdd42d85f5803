// padwright.exe as shipped, started as a child process in folders of its own and inspected
// from outside: start-up state, firmware discovery, the version line, the single-instance
// guard, closing, and a screenshot of the started window.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "PngWriter.h"
#include "WindowProbe.h"
#include "platform/win/FileSystem.h"
#include "ui/resource.h"

namespace {

const wchar_t kCaption[] = L"Padwright (20250522)";

// A folder with padwright.exe, inpoutx64.dll and the given firmware files.
std::wstring MakeAppFolder(const std::wstring& name, int firmwareFiles) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring dir =
      std::wstring(temp) + L"padwright-ui-" + name + L"-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(dir.c_str(), nullptr);
  std::wstring bin = GetModuleDirectory();
  CopyFileW((bin + L"\\padwright.exe").c_str(), (dir + L"\\padwright.exe").c_str(), FALSE);
  CopyFileW((bin + L"\\inpoutx64.dll").c_str(), (dir + L"\\inpoutx64.dll").c_str(), FALSE);
  for (int i = 0; i < firmwareFiles; ++i) {
    std::wstring file = dir + L"\\fw" + std::to_wstring(i) + L".vxf";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(h);
  }
  return dir;
}

struct App {
  PROCESS_INFORMATION process = {};
  HWND window = nullptr;

  bool Start(const std::wstring& dir) {
    std::wstring exe = dir + L"\\padwright.exe";
    std::wstring command = L"\"" + exe + L"\" ignored arguments";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.c_str(), &startup, &process)) {
      return false;
    }
    window = probe::WaitForWindow(0, process.dwProcessId, L"#32770", kCaption, 20000);
    return window != nullptr;
  }
  // Waits for the process to end; its exit code, or a marker when it does not end.
  DWORD WaitExit(DWORD timeoutMs = 15000) {
    DWORD code = 0xDEADu;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process.hProcess, &code);
    }
    return code;
  }
  DWORD Close() {
    PostMessageW(window, WM_CLOSE, 0, 0);
    return WaitExit();
  }
  ~App() {
    if (process.hProcess != nullptr) {
      if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);  // only our own child, after a failure
      }
      CloseHandle(process.hProcess);
      CloseHandle(process.hThread);
    }
  }
};

HWND Item(const App& app, int id) {
  return GetDlgItem(app.window, id);
}

std::wstring ItemText(const App& app, int id) {
  return probe::TextOf(Item(app, id));
}

bool WaitForText(const App& app, int id, const std::wstring& text) {
  return probe::WaitFor([&] { return ItemText(app, id) == text; }, 10000);
}

TEST(PadwrightExe, StartsCollapsedCentredTopmostWithTheForceUpdateGroupHidden) {
  std::wstring dir = MakeAppFolder(L"one", 1);
  App app;
  ASSERT_TRUE(app.Start(dir));
  RECT window = probe::RectOf(app.window);
  RECT bar = probe::RectOf(Item(app, IDC_PROGRESS));
  EXPECT_EQ(window.bottom, bar.bottom + 16);
  EXPECT_GE(probe::RectOf(Item(app, IDC_INITIALIZE)).top, window.bottom);
  EXPECT_GE(probe::RectOf(Item(app, IDC_FORCE_UPDATE)).top, window.bottom);
  // Centred on the desktop, kept inside the work area.
  RECT desk = probe::RectOf(GetDesktopWindow());
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int w = window.right - window.left;
  int h = window.bottom - window.top;
  int x = desk.left + ((desk.right - desk.left) - w) / 2;
  int y = desk.top + ((desk.bottom - desk.top) - h) / 2;
  x = x + w > work.right ? work.right - w : (x < 0 ? 0 : x);
  y = y + h > work.bottom ? work.bottom - h : (y < 0 ? 0 : y);
  EXPECT_EQ(window.left, x);
  EXPECT_EQ(window.top, y);
  EXPECT_TRUE(GetWindowLongPtrW(app.window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(IsWindowEnabled(Item(app, IDC_INITIALIZE)));
  EXPECT_FALSE(IsWindowEnabled(Item(app, IDC_FORCE_UPDATE)));
  for (int id : {IDC_UPDATE, IDC_SELECT, IDC_REFRESH, IDC_FILE_PATH}) {
    EXPECT_TRUE(IsWindowEnabled(Item(app, id))) << id;
  }
  EXPECT_EQ(ItemText(app, IDC_FILE_PATH), dir + L"\\fw0.vxf");
  EXPECT_TRUE(WaitForText(app, IDC_VERSION, L"Firmware Version: Error"));
  EXPECT_EQ(SendMessageW(Item(app, IDC_PROGRESS), PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(SendMessageW(Item(app, IDC_PROGRESS), PBM_GETRANGE, FALSE, 0), 1000);
  EXPECT_EQ(SendMessageW(Item(app, IDC_PROGRESS), PBM_GETPOS, 0, 0), 0);

  Sleep(500);  // let every control paint
  EXPECT_TRUE(png::CaptureScreen(window, png::ScreenshotPath(L"ui-main-window.png")));

  // Refresh rewrites the version line.
  SendMessageW(Item(app, IDC_VERSION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"stale"));
  PostMessageW(app.window, WM_COMMAND, IDC_REFRESH, 0);
  EXPECT_TRUE(WaitForText(app, IDC_VERSION, L"Firmware Version: Error"));

  // Escape and Enter change nothing (Escape in the multi-line path box would close the
  // dialog); closing ends the process with 0.
  PostMessageW(Item(app, IDC_FILE_PATH), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(Item(app, IDC_VERSION), WM_KEYDOWN, VK_RETURN, 0x001C0001);
  Sleep(500);
  EXPECT_TRUE(IsWindow(app.window) && IsWindowVisible(app.window));
  EXPECT_EQ(app.Close(), 0u);
}

TEST(PadwrightExe, TwoFirmwareFilesOrNoneLeaveThePathEmpty) {
  for (int files : {0, 2}) {
    App app;
    ASSERT_TRUE(app.Start(MakeAppFolder(L"files" + std::to_wstring(files), files)));
    EXPECT_EQ(ItemText(app, IDC_FILE_PATH), L"") << files;
    EXPECT_EQ(app.Close(), 0u);
  }
}

TEST(PadwrightExe, SecondStartWarnsAndEndsWhileTheFirstRunsOn) {
  std::wstring dir = MakeAppFolder(L"single", 0);
  App first;
  ASSERT_TRUE(first.Start(dir));
  App second;
  std::wstring exe = dir + L"\\padwright.exe";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  ASSERT_TRUE(CreateProcessW(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                             &startup, &second.process));
  HWND box = probe::WaitForWindow(0, second.process.dwProcessId, L"#32770", L"warn", 20000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(probe::MessageBoxText(box), L"An instance is already running!");
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(second.WaitExit(), 0u);
  EXPECT_TRUE(IsWindow(first.window) && IsWindowVisible(first.window));
  EXPECT_EQ(first.Close(), 0u);

  // Once the first has ended, a new start runs normally.
  App third;
  ASSERT_TRUE(third.Start(dir));
  EXPECT_EQ(third.Close(), 0u);
}

}  // namespace
