// The main window's size at any scale (see FrameLayout.h).
#include "frontends/window/FrameLayout.h"

#include <algorithm>
#include <cwchar>

#include "frontends/window/resource.h"
#include "ui/DialogBase.h"
#include "ui/WindowDpi.h"

namespace {

// The icon edges Windows draws at 96 DPI: the caption's (small) and Alt+Tab's (big).
constexpr int kSmallIconEdge = 16;
constexpr int kBigIconEdge = 32;
// The least height the file box gives up to, in dialog units: two lines of text (8 each)
// and its border. A path still shows whole, the box scrolls.
constexpr int kFileBoxLeastHeight = 20;

// The icon image of the program's own icon group nearest to `edge` pixels; null when none.
HICON LoadMainIcon(int edge) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAIN),
                                       IMAGE_ICON, edge, edge, LR_DEFAULTCOLOR));
}

// Sends `icon` as the window's icon of `kind` and destroys the one it replaces in `held`.
void ReplaceIcon(HWND window, WPARAM kind, HICON icon, HICON* held) {
  if (icon == nullptr) {
    return;
  }
  SendMessageW(window, WM_SETICON, kind, reinterpret_cast<LPARAM>(icon));
  if (*held != nullptr) {
    DestroyIcon(*held);
  }
  *held = icon;
}

// A rectangle of `width` × `height` at the top-left corner of `place`.
RECT At(const RECT& place, int width, int height) {
  return RECT{place.left, place.top, place.left + width, place.top + height};
}

// The rectangle of `child` in the client coordinates of `window`.
RECT RectInClient(HWND window, HWND child) {
  RECT r = {};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

BOOL MoveTo(HWND window, const RECT& r) {
  return SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                      SWP_NOZORDER | SWP_NOACTIVATE);
}

// The work area of the monitor that `window` is on (or nearest to): the screen without the
// taskbar and docked bars.
RECT WorkAreaOf(HWND window) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  if (monitor != nullptr && GetMonitorInfoW(monitor, &info)) {
    return info.rcWork;
  }
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

// `r` moved, keeping its size, so that it lies inside `work` as far as it fits; one larger
// than the work area keeps its top and left edges on the work area's, so that the title bar
// can always be reached.
RECT InsideWorkArea(const RECT& r, const RECT& work) {
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  const int x = std::max<int>(std::min<int>(r.left, work.right - w), work.left);
  const int y = std::max<int>(std::min<int>(r.top, work.bottom - h), work.top);
  return RECT{x, y, x + w, y + h};
}

// Moves every child of `window` whose top lies at or below `edge` (client coordinates) down
// by `delta` pixels (up when negative).
void ShiftChildrenBelow(HWND window, int edge, int delta) {
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const RECT r = RectInClient(window, child);
    if (r.top >= edge) {
      SetWindowPos(child, nullptr, r.left, r.top + delta, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
}

}  // namespace

CFrameLayout::CFrameLayout(CDialogBase& dialog, UINT layoutMessage)
    : dialog_(dialog), layoutMessage_(layoutMessage) {}

CFrameLayout::~CFrameLayout() {
  for (HICON icon : {bigIcon_, smallIcon_}) {
    if (icon != nullptr) {
      DestroyIcon(icon);
    }
  }
}

void CFrameLayout::TakeScale() {
  startDpi_ = dpi_ = WindowDpi(dialog_.hwnd);
  SetIconsForDpi(dpi_);
}

HWND CFrameLayout::FindRecoveryGroup(HWND window) {
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[8] = {};
    GetClassNameW(child, name, 8);
    LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    if (_wcsicmp(name, L"Button") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX) {
      return child;
    }
  }
  return nullptr;
}

CFrameLayout::Sizes CFrameLayout::MeasureSizes() const {
  HWND window = dialog_.hwnd;
  RECT outer = {};
  RECT client = {};
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  // Caption and borders, at the scale the window is drawn at.
  const int frameWidth = (outer.right - outer.left) - client.right;
  const int frameHeight = (outer.bottom - outer.top) - client.bottom;
  HWND group = FindRecoveryGroup(window);
  if (group == nullptr) {
    return Sizes{outer.right - outer.left, outer.bottom - outer.top, outer.bottom - outer.top};
  }
  const RECT box = RectInClient(window, group);
  // The margins scale with the DPI, whichever way the dialog manager moved the group.
  const int now = static_cast<int>(dpi_);
  const int then = static_cast<int>(startDpi_);
  const int right = box.right + MulDiv(groupMargins_.cx, now, then);
  const int bottom = box.bottom + MulDiv(groupMargins_.cy, now, then);
  return Sizes{right + frameWidth, bottom + frameHeight, box.top + frameHeight};
}

void CFrameLayout::Collapse() {
  HWND window = dialog_.hwnd;
  // Still at its template place and full size, as the dialog manager made it.
  GetWindowRect(window, &fullRect_);
  RECT client = {};
  GetClientRect(window, &client);
  if (HWND group = FindRecoveryGroup(window)) {
    const RECT box = RectInClient(window, group);
    groupMargins_ = SIZE{client.right - box.right, client.bottom - box.bottom};
  }
  if (HWND fileBox = dialog_.GetItem(IDC_FILE_PATH)) {
    const RECT box = RectInClient(window, fileBox);
    fileBoxHeight_ = box.bottom - box.top;
  }
  Sizes sizes = MeasureSizes();
  collapsedRect_ = At(fullRect_, fullRect_.right - fullRect_.left, sizes.collapsed);
  MoveWindow(window, collapsedRect_.left, collapsedRect_.top,
             collapsedRect_.right - collapsedRect_.left, collapsedRect_.bottom - collapsedRect_.top,
             TRUE);
}

void CFrameLayout::FitFileBox(int workHeight) {
  HWND window = dialog_.hwnd;
  HWND fileBox = dialog_.GetItem(IDC_FILE_PATH);
  if (fileBox == nullptr || fileBoxHeight_ <= 0) {
    return;
  }
  const RECT box = RectInClient(window, fileBox);
  const int current = box.bottom - box.top;
  const int natural = MulDiv(fileBoxHeight_, static_cast<int>(dpi_), static_cast<int>(startDpi_));
  RECT least = {0, 0, 0, kFileBoxLeastHeight};
  MapDialogRect(window, &least);
  // The full window with the file box at its natural height, and what it must give up.
  const int excess = std::max(0, MeasureSizes().full + (natural - current) - workHeight);
  const int target = std::max(natural - excess, std::min<int>(least.bottom, natural));
  if (target == current) {
    return;
  }
  SetWindowPos(fileBox, nullptr, 0, 0, box.right - box.left, target,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShiftChildrenBelow(window, box.bottom, target - current);
  InvalidateRect(window, nullptr, TRUE);
}

void CFrameLayout::GrowToFull() {
  HWND window = dialog_.hwnd;
  grown_ = true;
  // Grown where it stands: on the monitor the user sees it on.
  RECT place = {};
  GetWindowRect(window, &place);
  const RECT work = WorkAreaOf(window);
  FitFileBox(work.bottom - work.top);
  const Sizes sizes = MeasureSizes();
  fullRect_ = At(place, sizes.width, sizes.full);
  MoveTo(window, fullRect_);
  CenterInWorkArea(window);
}

void CFrameLayout::DpiChanged(WPARAM wParam, const RECT* suggested) {
  HWND window = dialog_.hwnd;
  if (window == nullptr || suggested == nullptr) {
    return;
  }
  // A minimised window keeps the place it is restored to; it is fitted then (Restored).
  if (!IsIconic(window)) {
    MoveTo(window, *suggested);
  }
  dpi_ = LOWORD(wParam);
  SetIconsForDpi(dpi_);
  // The dialog manager rescales the font and moves the controls only after the message is
  // handled, and only when it is left to it; the heights are measured after that.
  RelayoutLater();
}

void CFrameLayout::Relayout() {
  HWND window = dialog_.hwnd;
  if (window == nullptr) {
    return;
  }
  // A minimised window has no size to measure; it is laid out once restored.
  if (IsIconic(window)) {
    layoutOwed_ = true;
    return;
  }
  layoutOwed_ = false;
  RECT place = {};
  GetWindowRect(window, &place);
  const RECT work = WorkAreaOf(window);
  if (grown_) {
    FitFileBox(work.bottom - work.top);  // the new scale or monitor may leave more or less room
  }
  Sizes sizes = MeasureSizes();
  fullRect_ = At(place, sizes.width, sizes.full);
  collapsedRect_ = At(place, sizes.width, sizes.collapsed);
  MoveTo(window, InsideWorkArea(grown_ ? fullRect_ : collapsedRect_, work));
}

void CFrameLayout::RelayoutLater() {
  if (HWND window = dialog_.hwnd) {
    PostMessageW(window, layoutMessage_, 0, 0);
  }
}

void CFrameLayout::Restored() {
  if (layoutOwed_) {
    layoutOwed_ = false;
    RelayoutLater();
  }
}

BOOL CFrameLayout::CenterInWorkArea(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  const RECT work = WorkAreaOf(window);
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  const RECT centred = {work.left + ((work.right - work.left) - w) / 2,
                        work.top + ((work.bottom - work.top) - h) / 2, 0, 0};
  const RECT place = InsideWorkArea(At(centred, w, h), work);
  return MoveWindow(window, place.left, place.top, w, h, TRUE);
}

void CFrameLayout::SetIconsForDpi(UINT windowDpi) {
  HWND window = dialog_.hwnd;
  ReplaceIcon(window, ICON_BIG, LoadMainIcon(ScaleForDpi(kBigIconEdge, windowDpi)), &bigIcon_);
  ReplaceIcon(window, ICON_SMALL, LoadMainIcon(ScaleForDpi(kSmallIconEdge, windowDpi)),
              &smallIcon_);
}
