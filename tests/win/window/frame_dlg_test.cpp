// The main window run in this process: the close rules while workers run, and Select with
// the system's file-open dialog, in a single-threaded apartment, handing its result to the
// window thread.
#include <gtest/gtest.h>
#include <objbase.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "frontends/window/FrameDlg.h"
#include "tests/win/ui/FrameParts.h"
#include "frontends/window/resource.h"
#include "tests/win/support/AppProcess.h"
#include "tests/win/support/TestFolder.h"
#include "tests/win/support/WindowProbe.h"

namespace {

// Runs the main window on this thread while `driver` acts on it from another thread.
LRESULT RunWithDriver(CFrameDlg& frame, const std::function<void(HWND)>& driver) {
  DWORD self = GetCurrentThreadId();
  std::thread helper([&] {
    HWND window = probe::WaitForWindow(self, 0, L"#32770", kMainCaption);
    driver(window);
    if (IsWindow(window)) {
      PostMessageW(window, WM_CLOSE, 0, 0);  // never leave the loop running
    }
  });
  LRESULT result = frame.RunModal(IDD_MAIN, nullptr, true, true);
  helper.join();
  return result;
}

// A folder of the temporary tree with two firmware files in it.
class FirmwareFolder : public TestFolder {
 public:
  FirmwareFolder() : TestFolder(L"select") {
    for (const wchar_t* name : {L"a.vxf", L"b.vxf"}) {
      Write(name, {'v', 'x', 'f'});
    }
  }
};

// The file dialog of the Select worker: a visible #32770 window of another thread.
HWND WaitForFileDialog(HWND mainWindow) {
  DWORD pid = GetCurrentProcessId();
  HWND found = nullptr;
  probe::WaitFor([&] {
    for (HWND w : probe::TopLevelWindows(0, pid, L"#32770", L"")) {
      if (w != mainWindow && IsWindowVisible(w) &&
          GetWindowThreadProcessId(w, nullptr) != GetWindowThreadProcessId(mainWindow, nullptr)) {
        found = w;
        return true;
      }
    }
    return false;
  });
  return found;
}

// The COM apartment of the thread that runs `window`, asked on that very thread by a
// call-window hook while it serves a message; -1 when it could not be asked.
std::atomic<int> hookedApartment{-1};

LRESULT CALLBACK RecordApartment(int code, WPARAM wParam, LPARAM lParam) {
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  if (code == HC_ACTION && SUCCEEDED(CoGetApartmentType(&type, &qualifier))) {
    hookedApartment = static_cast<int>(type);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

int ApartmentOfWindowThread(HWND window) {
  hookedApartment = -1;
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordApartment, nullptr,
                                 GetWindowThreadProcessId(window, nullptr));
  if (hook == nullptr) {
    return -1;
  }
  SendMessageW(window, WM_NULL, 0, 0);
  UnhookWindowsHookEx(hook);
  return hookedApartment;
}

size_t CountFileDialogs(HWND mainWindow) {
  size_t n = 0;
  for (HWND w : probe::TopLevelWindows(0, GetCurrentProcessId(), L"#32770", L"")) {
    n += (w != mainWindow && IsWindowVisible(w)) ? 1 : 0;
  }
  return n;
}

// The edge in pixels of the window's icon of `kind` (ICON_SMALL or ICON_BIG); 0 without one.
int IconEdge(HWND window, WPARAM kind) {
  auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, kind, 0));
  ICONINFO info = {};
  if (icon == nullptr || !GetIconInfo(icon, &info)) {
    return 0;
  }
  BITMAP bitmap = {};
  GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

int Height(const RECT& r) {
  return r.bottom - r.top;
}

// Under Wine the dialog manager does not lay the controls out anew on a change of scale: at
// the same DPI the window's sizes must come back as they were, wherever Windows suggests to
// put it; at another, the margins around the group scale and the icons are swapped.
TEST(FrameDlg, ChangeOfScaleTakesTheSuggestedPlaceStaysCollapsedOrFullAndSwapsIcons) {
  FrameParts parts;
  CFrameDlg frame(parts.context, parts.link);
  RunWithDriver(frame, [&](HWND window) {
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(IconEdge(window, ICON_SMALL), 16);
    EXPECT_EQ(IconEdge(window, ICON_BIG), 32);
    const RECT collapsed = probe::RectOf(window);
    // The suggestion's size is Windows' guess; the window measures its own.
    auto changeScale = [&](int x, int y, UINT dpi) {
      RECT suggested = {x, y, x + 300, y + 200};
      SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
      bool placed = probe::WaitFor([&] {
        RECT r = probe::RectOf(window);
        return r.left == x && r.top == y && r.right - r.left != 300;
      });
      return placed ? probe::RectOf(window) : RECT{};
    };
    RECT now = changeScale(50, 60, 96);
    EXPECT_EQ(now.right - now.left, collapsed.right - collapsed.left);
    EXPECT_EQ(Height(now), Height(collapsed));

    SendMessageW(window, CFrameDlg::kGrowToFullMessage, 0, 0);
    const int fullHeight = Height(probe::RectOf(window));
    EXPECT_GT(fullHeight, Height(collapsed));
    now = changeScale(70, 80, 96);
    EXPECT_EQ(Height(now), fullHeight);
    EXPECT_TRUE(EqualRect(&frame.Layout().FullRect(), &now));
    EXPECT_EQ(frame.Layout().CollapsedRect().top, 80);
    EXPECT_EQ(Height(frame.Layout().CollapsedRect()), Height(collapsed));

    now = changeScale(90, 100, 144);
    EXPECT_GT(Height(now), fullHeight);
    EXPECT_EQ(IconEdge(window, ICON_SMALL), 24);
    EXPECT_EQ(IconEdge(window, ICON_BIG), 48);
  });
}

// A change of the display or of the work area (a taskbar moved or grown) fits the grown
// window into the work area again, also when it comes while the window is minimised: then
// once it is restored. Another setting's change moves nothing.
TEST(FrameDlg, DisplayOrWorkAreaChangeFitsTheGrownWindowAgainAlsoAfterARestore) {
  FrameParts parts;
  CFrameDlg frame(parts.context, parts.link);
  RunWithDriver(frame, [&](HWND window) {
    ASSERT_NE(window, nullptr);
    SendMessageW(window, CFrameDlg::kGrowToFullMessage, 0, 0);
    const RECT full = probe::RectOf(window);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT work = monitor.rcWork;
    // Half of it below the work area's bottom edge, as a taskbar that grew would leave it.
    const int overhangTop = work.bottom - Height(full) / 2;
    auto overhang = [&] {
      SetWindowPos(window, nullptr, work.left, overhangTop, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    auto fitted = [&] {
      return probe::WaitFor([&] {
        const RECT r = probe::RectOf(window);
        return r.bottom <= work.bottom && r.top >= work.top && Height(r) == Height(full);
      });
    };

    overhang();
    SendMessageW(window, WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
    Sleep(200);
    EXPECT_EQ(probe::RectOf(window).top, overhangTop);
    SendMessageW(window, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_TRUE(fitted());

    overhang();
    SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(work.right, work.bottom));
    EXPECT_TRUE(fitted());

    overhang();
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(probe::WaitFor([&] { return IsIconic(window) != FALSE; }));
    SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(work.right, work.bottom));
    Sleep(200);
    ShowWindow(window, SW_RESTORE);
    EXPECT_TRUE(fitted());
  });
}

TEST(FrameDlg, CloseIsRefusedWhileAnUpgradeRunsAndAllowedAfterwards) {
  FrameParts parts;
  CFrameDlg frame(parts.context, parts.link);
  frame.SetBusy(true, true);
  bool stayedOpen = false;
  LRESULT result = RunWithDriver(frame, [&](HWND window) {
    ASSERT_NE(window, nullptr);
    SendMessageW(window, WM_CLOSE, 0, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    Sleep(300);
    stayedOpen = IsWindow(window) && IsWindowVisible(window);
    EXPECT_FALSE(frame.CloseRequested());
    frame.SetBusy(false, true);
    PostMessageW(window, WM_CLOSE, 0, 0);
    probe::WaitFor([&] { return !IsWindow(window); });
  });
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(frame.CloseRequested());
}

TEST(FrameDlg, SelectShowsOneDialogAndCancelKeepsThePath) {
  FirmwareFolder folder;
  const std::wstring dir = folder.Path();
  FrameParts parts;
  CFrameDlg frame(parts.context, parts.link);
  frame.Selection().SetPath(dir + L"\\a.vxf");
  std::wstring prefilled, editAfterCancel;
  bool busyWhileOpen = false;
  int apartment = -1;
  bool dialogOnWorker = false;
  size_t dialogsAfterSecondPress = 0;
  RunWithDriver(frame, [&](HWND window) {
    ASSERT_NE(window, nullptr);
    HWND edit = GetDlgItem(window, IDC_FILE_PATH);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"));
    SendMessageW(window, WM_COMMAND, IDC_SELECT, 0);
    HWND dialog = WaitForFileDialog(window);
    ASSERT_NE(dialog, nullptr);
    busyWhileOpen = frame.IsBusy();
    apartment = ApartmentOfWindowThread(dialog);
    dialogOnWorker = GetWindowThreadProcessId(dialog, nullptr) == frame.Selection().DialogThread();
    // A second press while the dialog is up starts nothing.
    SendMessageW(window, WM_COMMAND, IDC_SELECT, 0);
    Sleep(300);
    dialogsAfterSecondPress = CountFileDialogs(window);
    // The name box starts with the current file's name.
    HWND nameBox = probe::FindChild(dialog, L"Edit", L"a.vxf");
    prefilled = nameBox != nullptr ? probe::TextOf(nameBox) : L"";
    PostMessageW(dialog, WM_CLOSE, 0, 0);  // cancel
    ASSERT_TRUE(probe::WaitFor([&] { return !frame.IsBusy(); }));
    editAfterCancel = probe::TextOf(edit);
  });
  EXPECT_TRUE(busyWhileOpen);
  // The worker itself shows the dialog, in its own single-threaded apartment. (From the
  // multithreaded apartment COM would run this apartment-threaded dialog on a thread of its
  // own, and on Windows such a dialog with an owner window can hang.)
  EXPECT_TRUE(dialogOnWorker);
  EXPECT_EQ(apartment, APTTYPE_STA);
  EXPECT_EQ(dialogsAfterSecondPress, 1u);
  EXPECT_EQ(prefilled, L"a.vxf");
  EXPECT_EQ(frame.Selection().Path(), dir + L"\\a.vxf");
  EXPECT_EQ(editAfterCancel, dir + L"\\a.vxf");  // the typed text is replaced
}

TEST(FrameDlg, ChosenPathIsTakenOnTheWindowThread) {
  FrameParts parts;
  CFrameDlg frame(parts.context, parts.link);
  frame.Selection().SetPath(L"C:\\old.vxf");
  std::wstring afterCancel, afterChoice;
  RunWithDriver(frame, [&](HWND window) {
    ASSERT_NE(window, nullptr);
    HWND edit = GetDlgItem(window, IDC_FILE_PATH);
    std::wstring chosen = L"C:\\new folder\\new.vxf";
    frame.SetBusy(true, false);
    // What the Select worker sends once its dialog has closed.
    SendMessageW(window, CFrameDlg::kFileChosenMessage, 0, reinterpret_cast<LPARAM>(&chosen));
    afterCancel = probe::TextOf(edit);
    EXPECT_FALSE(frame.IsBusy());
    frame.SetBusy(true, false);
    EXPECT_EQ(
        SendMessageW(window, CFrameDlg::kFileChosenMessage, 1, reinterpret_cast<LPARAM>(&chosen)),
        1);
    afterChoice = probe::TextOf(edit);
    EXPECT_FALSE(frame.IsBusy());
  });
  EXPECT_EQ(afterCancel, L"C:\\old.vxf");
  EXPECT_EQ(afterChoice, L"C:\\new folder\\new.vxf");
  EXPECT_EQ(frame.Selection().Path(), L"C:\\new folder\\new.vxf");
}

TEST(FrameDlg, ClosingWithTheFileDialogOpenEndsTheSelectWorker) {
  FirmwareFolder folder;
  FrameParts parts;
  CFrameDlg frame(parts.context, parts.link);
  // A folder without programs in it: Wine's shell sometimes faults while listing the icons of
  // a folder of executables (such as the test's own), which would end the dialog early.
  frame.Selection().SetPath(folder.File(L"a.vxf"));
  bool dialogSeen = false;
  LRESULT result = RunWithDriver(frame, [&](HWND window) {
    ASSERT_NE(window, nullptr);
    SendMessageW(window, WM_COMMAND, IDC_SELECT, 0);
    dialogSeen = WaitForFileDialog(window) != nullptr;
    // The main window is disabled while the dialog is up; close it the way the system can.
    PostMessageW(window, WM_CLOSE, 0, 0);
  });
  EXPECT_TRUE(dialogSeen);
  EXPECT_EQ(result, 0);
  DWORD start = GetTickCount();
  frame.WaitForWorkers();
  EXPECT_LT(GetTickCount() - start, 10000u);
  EXPECT_FALSE(frame.IsBusy());
  EXPECT_EQ(CountFileDialogs(nullptr), 0u);
}

}  // namespace
