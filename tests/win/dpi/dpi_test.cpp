// The window at the scale of the Wine prefix it runs in (96, 144 or 192 DPI, named by
// PADWRIGHT_DPI; see scripts/wine-run.sh): the main dialog laid out at that scale with every
// control in its place and every text inside its control, and the shipped padwright.exe
// collapsed so that the force-update group is hidden, then grown after a failed update so
// that it shows whole, sized from its controls at that scale, inside the work area of a
// handheld's panel (the file box giving up height where the full window would not fit).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "frontends/window/FrameLayout.h"
#include "frontends/window/resource.h"
#include "tests/win/support/AppProcess.h"
#include "tests/win/support/TestFolder.h"
#include "tests/win/support/WindowProbe.h"
#include "ui/WindowDpi.h"

namespace {

UINT ScreenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return static_cast<UINT>(dpi);
}

// A child window of a dialog as the tests see it: its rectangle in screen coordinates.
struct Child {
  HWND window;
  RECT rect;
  bool group;
};

std::vector<Child> ChildrenOf(HWND dialog) {
  HWND group = CFrameLayout::FindRecoveryGroup(dialog);
  std::vector<Child> children;
  for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    children.push_back(Child{c, probe::RectOf(c), c == group});
  }
  return children;
}

RECT ClientOnScreen(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return client;
}

// The work area of the monitor that `window` is on.
RECT WorkAreaOf(HWND window) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// Every control lies inside the client area; none overlaps another, except that the group
// box holds the controls that reach into it, clear of its edge (which they would paint over).
void ExpectLaidOutWithoutOverlap(HWND dialog, UINT dpi) {
  const RECT client = ClientOnScreen(dialog);
  const int edge = ScaleForDpi(2, dpi);
  std::vector<Child> children = ChildrenOf(dialog);
  for (size_t i = 0; i < children.size(); ++i) {
    const Child& a = children[i];
    EXPECT_TRUE(Inside(a.rect, client)) << "control " << i << " " << probe::TextOf(a.window);
    for (size_t j = i + 1; j < children.size(); ++j) {
      const Child& b = children[j];
      RECT common = {};
      if (!IntersectRect(&common, &a.rect, &b.rect)) {
        continue;
      }
      if (a.group || b.group) {
        RECT inner = a.group ? a.rect : b.rect;
        InflateRect(&inner, -edge, -edge);
        EXPECT_TRUE(Inside(a.group ? b.rect : a.rect, inner))
            << "control " << (a.group ? j : i) << " reaches the group box's edge";
      } else {
        ADD_FAILURE() << "controls " << i << " and " << j << " overlap";
      }
    }
  }
}

INT_PTR CALLBACK PassiveDialogProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

// The main dialog made from its template in this process, at the prefix's scale, as the
// dialog manager lays it out: the reference for the shipped window's sizes.
class TemplateDialog {
 public:
  TemplateDialog() {
    window_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                                 PassiveDialogProc, 0);
  }
  ~TemplateDialog() {
    if (window_ != nullptr) {
      DestroyWindow(window_);
    }
  }
  HWND Window() const { return window_; }
  SIZE Client() const {
    RECT r = {};
    GetClientRect(window_, &r);
    return SIZE{r.right, r.bottom};
  }
  // The top of the force-update group, in client coordinates.
  int GroupTop() const {
    RECT group = probe::RectOf(CFrameLayout::FindRecoveryGroup(window_));
    return group.top - ClientOnScreen(window_).top;
  }

 private:
  HWND window_ = nullptr;
};

class DpiScale : public testing::Test {
 protected:
  void SetUp() override {
    dpi_ = ScreenDpi();
    // Named by the runner: the prefix must really draw at that scale.
    if (const char* wanted = std::getenv("PADWRIGHT_DPI")) {
      ASSERT_EQ(dpi_, static_cast<UINT>(std::atoi(wanted)));
    }
    ASSERT_NE(reference_.Window(), nullptr);
  }
  std::wstring Name(const wchar_t* what) const {
    return L"ui-dpi" + std::to_wstring(dpi_) + L"-" + what + L".png";
  }

  UINT dpi_ = 0;
  TemplateDialog reference_;
};

TEST_F(DpiScale, DialogIsDrawnAtThisScaleWithEveryTextInsideItsControl) {
  HWND dialog = reference_.Window();
  auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  LOGFONTW logical = {};
  ASSERT_NE(GetObjectW(font, sizeof(logical), &logical), 0);
  EXPECT_EQ(logical.lfHeight, -MulDiv(12, static_cast<int>(dpi_), 72));
  ExpectLaidOutWithoutOverlap(dialog, dpi_);

  // A text wider than its static control wraps and loses its second line; a button's text
  // needs room beside its edges too.
  HDC dc = GetDC(dialog);
  HGDIOBJ old = SelectObject(dc, font);
  for (const Child& c : ChildrenOf(dialog)) {
    std::wstring text = probe::TextOf(c.window);
    std::wstring cls = probe::ClassOf(c.window);
    if (text.empty() || c.group || (cls != L"Static" && cls != L"Button")) {
      continue;
    }
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    RECT client = {};
    GetClientRect(c.window, &client);
    int margin = cls == L"Button" ? 2 * ScaleForDpi(3, dpi_) : 0;
    EXPECT_LE(extent.cx + margin, client.right) << text;
    EXPECT_LE(extent.cy, client.bottom) << text;
  }
  SelectObject(dc, old);
  ReleaseDC(dialog, dc);
}

TEST_F(DpiScale, ShippedWindowHidesTheGroupExactlyThenGrowsToShowItWhole) {
  TestFolder folder(L"dpi" + std::to_wstring(dpi_));
  ASSERT_TRUE(CopyProduct(folder.Path()));
  // No controller answers here: Update fails at the backup and the window grows.
  ASSERT_TRUE(folder.Write(L"firmware.vxf", {1, 2, 3}));
  AppProcess app;
  ASSERT_TRUE(app.Start(folder.Path()));
  HWND window = app.Window();
  EXPECT_EQ(GetDpiForWindow(window), dpi_);
  const SIZE full = reference_.Client();

  RECT client = ClientOnScreen(window);
  RECT group = probe::RectOf(CFrameLayout::FindRecoveryGroup(window));
  EXPECT_EQ(client.right - client.left, full.cx);
  EXPECT_EQ(client.bottom - client.top, reference_.GroupTop());
  EXPECT_EQ(group.top, client.bottom);
  app.Screenshot(Name(L"collapsed"));

  app.Click(IDC_UPDATE);
  HWND box = app.WaitForBox(30000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(probe::MessageBoxText(box), L"Upgrade failed!");
  RECT outer = probe::RectOf(window);
  RECT boxRect = probe::RectOf(box);
  // Centred over the window, to the pixel that the halving rounds away.
  EXPECT_LE(std::abs((boxRect.left + boxRect.right) - (outer.left + outer.right)), 1);
  EXPECT_LE(std::abs((boxRect.top + boxRect.bottom) - (outer.top + outer.bottom)), 1);
  app.Screenshot(Name(L"grown"), box);

  client = ClientOnScreen(window);
  EXPECT_EQ(client.right - client.left, full.cx);
  EXPECT_TRUE(Inside(probe::RectOf(CFrameLayout::FindRecoveryGroup(window)), client));
  ExpectLaidOutWithoutOverlap(window, dpi_);
  // Grown, it fits a work area of 1280 × 720 at this scale (a 1920 × 1080 panel at 150 %).
  const int w = outer.right - outer.left;
  const int h = outer.bottom - outer.top;
  EXPECT_LE(w, ScaleForDpi(1280, dpi_));
  EXPECT_LE(h, ScaleForDpi(720, dpi_));
  // The whole window, title bar included, lies inside the work area of its monitor, Force
  // update with it: here a handheld's 1920 × 1080 panel with a taskbar of 48 pixels.
  const RECT work = WorkAreaOf(window);
  if (std::getenv("PADWRIGHT_DPI") != nullptr) {
    EXPECT_TRUE(work.left == 0 && work.top == 0 && work.right == 1920 && work.bottom == 1032)
        << work.right << " x " << work.bottom;
  }
  EXPECT_TRUE(Inside(outer, work));
  EXPECT_TRUE(Inside(probe::RectOf(app.Item(IDC_FORCE_UPDATE)), client));
  // Where the full height fits, the window has it; where it does not (192 DPI), the file box
  // gave up the difference and still shows two lines.
  const int frame = h - (client.bottom - client.top);
  if (full.cy + frame <= work.bottom - work.top) {
    EXPECT_EQ(client.bottom - client.top, full.cy);
  } else {
    EXPECT_EQ(h, work.bottom - work.top);
    RECT twoLines = {0, 0, 0, 20};
    MapDialogRect(reference_.Window(), &twoLines);
    const RECT fileBox = probe::RectOf(app.Item(IDC_FILE_PATH));
    EXPECT_GE(fileBox.bottom - fileBox.top, twoLines.bottom);
  }
  EXPECT_TRUE(app.Dismiss(box));
  EXPECT_EQ(app.Close(), 0u);
}

}  // namespace
