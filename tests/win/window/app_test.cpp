// padwright.exe as shipped, started as a child process in folders of its own and inspected
// from outside: start-up state, firmware discovery, the window as drawn, the single-instance
// guard and closing. No controller is present here.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <string>

#include "frontends/window/resource.h"
#include "platform/win/AdminOnlyFolder.h"
#include "platform/win/WinBackupFolder.h"
#include "tests/win/support/PngWriter.h"
#include "tests/win/support/ScreenCapture.h"
#include "tests/win/support/TestFolder.h"
#include "tests/win/support/WindowProbe.h"
#include "tests/win/window/AppFolder.h"

namespace {

// Where a centred window of this size lands: centred on the desktop, then kept inside the
// work area.
POINT CentredInWorkArea(const RECT& window) {
  RECT desk = probe::RectOf(GetDesktopWindow());
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int w = window.right - window.left;
  int h = window.bottom - window.top;
  int x = desk.left + ((desk.right - desk.left) - w) / 2;
  int y = desk.top + ((desk.bottom - desk.top) - h) / 2;
  x = x + w > work.right ? work.right - w : (x < 0 ? 0 : x);
  y = y + h > work.bottom ? work.bottom - h : (y < 0 ? 0 : y);
  return POINT{x, y};
}

// How far the collapsed window reaches, at every scale: tests/win/dpi.
TEST(PadwrightExe, StartsCollapsedCentredTopmostWithTheRecoveryButtonsOff) {
  AppFolder folder(L"one", 1);
  ASSERT_TRUE(folder.Ready());
  AppProcess app;
  ASSERT_TRUE(app.Start(folder.Path()));
  RECT window = probe::RectOf(app.Window());
  POINT centred = CentredInWorkArea(window);
  EXPECT_EQ(window.left, centred.x);
  EXPECT_EQ(window.top, centred.y);
  EXPECT_TRUE(GetWindowLongPtrW(app.Window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(IsWindowEnabled(app.Item(IDC_INITIALIZE)));
  EXPECT_FALSE(IsWindowEnabled(app.Item(IDC_FORCE_UPDATE)));
  for (int id : {IDC_UPDATE, IDC_SELECT, IDC_REFRESH, IDC_FILE_PATH}) {
    EXPECT_TRUE(IsWindowEnabled(app.Item(id))) << id;
  }
  EXPECT_EQ(app.Text(IDC_FILE_PATH), folder.Path() + L"\\fw0.vxf");
  EXPECT_EQ(app.Text(IDC_STATUS), L"");
  EXPECT_TRUE(app.WaitForText(IDC_VERSION, L"Firmware Version: Error"));
  HWND progress = app.Item(IDC_PROGRESS);
  EXPECT_EQ(SendMessageW(progress, PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(SendMessageW(progress, PBM_GETRANGE, FALSE, 0), 1000);
  EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 0);

  // Escape and Enter change nothing (Escape in the multi-line path box would have it post
  // WM_CLOSE to the dialog). Refresh rewrites the version line; posted twice, the second
  // time after the first was handled, it comes after anything the keys may have posted.
  PostMessageW(app.Item(IDC_FILE_PATH), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(app.Item(IDC_VERSION), WM_KEYDOWN, VK_RETURN, 0x001C0001);
  for (int round = 0; round < 2; ++round) {
    SendMessageW(app.Item(IDC_VERSION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"stale"));
    PostMessageW(app.Window(), WM_COMMAND, IDC_REFRESH, 0);
    EXPECT_TRUE(app.WaitForText(IDC_VERSION, L"Firmware Version: Error")) << round;
  }
  EXPECT_TRUE(IsWindow(app.Window()) && IsWindowVisible(app.Window()));
  EXPECT_EQ(app.Text(IDC_FILE_PATH), folder.Path() + L"\\fw0.vxf");
  EXPECT_EQ(app.Close(), 0u);
}

// The pixels along the middle row of the progress bar's inside, in its left and right
// quarters: how many are white, and how many have the colour of the left quarter's first
// pixel that is not white (`fill`).
struct BarPixels {
  int quarter = 0;
  int leftWhite = 0, leftFill = 0, rightWhite = 0;
  screen::Rgb fill{255, 255, 255};
};

BarPixels ReadBar(const screen::Capture& capture, HWND progress) {
  RECT client = {};
  GetClientRect(progress, &client);
  POINT origin = {0, 0};
  ClientToScreen(progress, &origin);
  const screen::Rgb white{255, 255, 255};
  BarPixels p;
  int y = origin.y + client.bottom / 2;
  int x0 = origin.x + 2;  // keep off the inner edge
  int width = client.right - 4;
  p.quarter = width / 4;
  for (int x = x0; x < x0 + p.quarter && p.fill == white; ++x) {
    p.fill = capture.At(x, y);
  }
  p.leftWhite = capture.CountInRow(y, x0, x0 + p.quarter, white);
  p.leftFill = p.fill == white ? 0 : capture.CountInRow(y, x0, x0 + p.quarter, p.fill);
  p.rightWhite = capture.CountInRow(y, x0 + width - p.quarter, x0 + width, white);
  return p;
}

TEST(PadwrightExe, ProgressBarIsWhiteWithTheBarColourSetAndFillsFromTheLeft) {
  AppFolder folder(L"bar", 0);
  ASSERT_TRUE(folder.Ready());
  AppProcess app;
  ASSERT_TRUE(app.Start(folder.Path()));
  ASSERT_TRUE(app.WaitForText(IDC_VERSION, L"Firmware Version: Error"));
  HWND progress = app.Item(IDC_PROGRESS);
  EXPECT_EQ(SendMessageW(progress, PBM_GETBKCOLOR, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(SendMessageW(progress, PBM_GETBARCOLOR, 0, 0), RGB(37, 176, 6));
  // Under visual styles the theme draws the bar in its own colour (and may animate it).
  const bool themed = IsThemeActive() != FALSE;
  screen::Capture capture;
  auto filled = [&](const screen::Capture& c) {
    return !(ReadBar(c, progress).fill == screen::Rgb{255, 255, 255});
  };
  EXPECT_TRUE(screen::GrabSettled(app.Window(), &capture) || themed);
  BarPixels empty = ReadBar(capture, progress);
  EXPECT_EQ(empty.leftWhite, empty.quarter);
  EXPECT_EQ(empty.rightWhite, empty.quarter);

  SendMessageW(progress, PBM_SETPOS, 500, 0);
  EXPECT_TRUE(screen::GrabSettled(app.Window(), &capture, filled) || themed);
  EXPECT_TRUE(png::WriteCapture(capture, png::ScreenshotPath(L"ui-progress-half.png")));
  BarPixels half = ReadBar(capture, progress);
  EXPECT_EQ(half.rightWhite, half.quarter);
  EXPECT_NE(half.fill, (screen::Rgb{255, 255, 255}));
  if (themed) {
    EXPECT_EQ(half.leftWhite, 0);
  } else {
    // Blocks of the bar colour with white gaps between them, or one smooth run.
    EXPECT_EQ(half.fill, (screen::Rgb{37, 176, 6}));
    EXPECT_GT(half.leftFill, half.quarter / 2);
    EXPECT_EQ(half.leftFill + half.leftWhite, half.quarter);
  }
  EXPECT_EQ(app.Close(), 0u);
}

// The machine's Padwright folder made changeable by everyone (Wine reads the access list
// back from the file mode it turns it into): the next start sets it aside and says so on
// the status line, the start after that says nothing.
TEST(PadwrightExe, UnsafeBackupFolderIsSetAsideAndSaidOnce) {
  const std::wstring backups = CWinBackupFolder::DefaultPath();
  const std::wstring parent = backups.substr(0, backups.rfind(L'\\'));
  std::wstring reason;
  ASSERT_TRUE(MakeProtectedFolder(parent, &reason)) << testing::PrintToString(reason);
  ASSERT_TRUE(LetEveryoneWrite(parent));

  AppFolder folder(L"aside", 0);
  ASSERT_TRUE(folder.Ready());
  for (int start = 0; start < 2; ++start) {
    AppProcess app;
    ASSERT_TRUE(app.Start(folder.Path()));
    const std::wstring status = app.Text(IDC_STATUS);
    if (start == 0) {
      EXPECT_EQ(status.rfind(L"Set aside " + parent + L" as Padwright.untrusted-", 0), 0u)
          << testing::PrintToString(status);
    } else {
      EXPECT_EQ(status, L"");
    }
    EXPECT_EQ(app.Close(), 0u);
  }
  // The folder set aside goes again, with what earlier tests left in it.
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((parent + L".untrusted-*").c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  FindClose(find);
  const std::wstring aside = parent.substr(0, parent.rfind(L'\\') + 1) + found.cFileName;
  HANDLE files = FindFirstFileW((aside + L"\\backups\\*").c_str(), &found);
  for (bool more = files != INVALID_HANDLE_VALUE; more; more = FindNextFileW(files, &found)) {
    DeleteFileW((aside + L"\\backups\\" + found.cFileName).c_str());
  }
  if (files != INVALID_HANDLE_VALUE) {
    FindClose(files);
  }
  RemoveDirectoryW((aside + L"\\backups").c_str());
  EXPECT_TRUE(RemoveDirectoryW(aside.c_str()));
}

TEST(PadwrightExe, TwoFirmwareFilesOrNoneLeaveThePathEmpty) {
  for (int files : {0, 2}) {
    AppFolder folder(L"files" + std::to_wstring(files), files);
    ASSERT_TRUE(folder.Ready());
    AppProcess app;
    ASSERT_TRUE(app.Start(folder.Path()));
    EXPECT_EQ(app.Text(IDC_FILE_PATH), L"") << files;
    EXPECT_EQ(app.Close(), 0u);
  }
}

TEST(PadwrightExe, SecondStartWarnsAndEndsWhileTheFirstRunsOnAndAGuardNotMadeIsSaid) {
  AppFolder folder(L"single", 0);
  ASSERT_TRUE(folder.Ready());
  AppProcess first;
  ASSERT_TRUE(first.Start(folder.Path()));
  AppProcess second;
  ASSERT_TRUE(second.Launch(folder.Path()));
  HWND box = probe::WaitForWindow(0, second.ProcessId(), L"#32770", L"warn", 20000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(probe::MessageBoxText(box), L"An instance is already running!");
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(second.WaitExit(), 0u);
  EXPECT_TRUE(IsWindow(first.Window()) && IsWindowVisible(first.Window()));
  EXPECT_EQ(first.Close(), 0u);

  // Once the first has ended, a new start runs normally.
  AppProcess third;
  ASSERT_TRUE(third.Start(folder.Path()));
  EXPECT_EQ(third.Close(), 0u);

  // The guard's name taken by an object of another kind: the guard cannot be made, and a box
  // says so rather than the program ending without a word.
  HANDLE squatter =
      CreateEventW(nullptr, TRUE, FALSE, L"Global\\12D4F30F-5E32-4AAB-B48E-6D19389A224B");
  ASSERT_NE(squatter, nullptr);
  AppProcess refused;
  ASSERT_TRUE(refused.Launch(folder.Path()));
  box = probe::WaitForWindow(0, refused.ProcessId(), L"#32770", L"error", 20000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(probe::MessageBoxText(box).rfind(
                L"Padwright cannot start: its single-instance guard could not be made (error ", 0),
            0u)
      << testing::PrintToString(probe::MessageBoxText(box));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(refused.WaitExit(), 1u);
  CloseHandle(squatter);
}

}  // namespace
