// CFrameDlg: the window's size at any scale: collapsed and full, growing after a failed
// upgrade, a change of scale (per-monitor DPI awareness) and the icons of each scale.
#include <cwchar>

#include "frontends/window/FrameDlg.h"
#include "frontends/window/resource.h"
#include "ui/WindowDpi.h"

namespace {

// The icon edges Windows draws at 96 DPI: the caption's (small) and Alt+Tab's (big).
constexpr int kSmallIconEdge = 16;
constexpr int kBigIconEdge = 32;

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

}  // namespace

HWND CFrameDlg::FindRecoveryGroup(HWND window) {
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

CFrameDlg::Sizes CFrameDlg::MeasureSizes() const {
  HWND window = hwnd;
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
  const int now = static_cast<int>(dpi);
  const int then = static_cast<int>(startDpi);
  const int right = box.right + MulDiv(groupMargins.cx, now, then);
  const int bottom = box.bottom + MulDiv(groupMargins.cy, now, then);
  return Sizes{right + frameWidth, bottom + frameHeight, box.top + frameHeight};
}

void CFrameDlg::Collapse() {
  HWND window = hwnd;
  // Still at its template place and full size, as the dialog manager made it.
  GetWindowRect(window, &fullRect);
  RECT client = {};
  GetClientRect(window, &client);
  if (HWND group = FindRecoveryGroup(window)) {
    const RECT box = RectInClient(window, group);
    groupMargins = SIZE{client.right - box.right, client.bottom - box.bottom};
  }
  Sizes sizes = MeasureSizes();
  collapsedRect = At(fullRect, fullRect.right - fullRect.left, sizes.collapsed);
  MoveWindow(window, collapsedRect.left, collapsedRect.top,
             collapsedRect.right - collapsedRect.left, collapsedRect.bottom - collapsedRect.top,
             TRUE);
}

LRESULT CFrameDlg::OnGrowToFull(WPARAM, LPARAM) {
  HWND window = hwnd;
  grown = true;
  MoveWindow(window, fullRect.left, fullRect.top, fullRect.right - fullRect.left,
             fullRect.bottom - fullRect.top, TRUE);
  CenterOnScreen(window);
  return 1;
}

LRESULT CFrameDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
  HWND window = hwnd;
  const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
  if (window == nullptr || suggested == nullptr) {
    return 0;
  }
  MoveTo(window, *suggested);
  dpi = LOWORD(wParam);
  SetIconsForDpi(dpi);
  // The dialog manager rescales the font and moves the controls only after this returns,
  // and only when the message is left to it; the heights are measured after that.
  PostMessageW(window, kDpiLayoutMessage, 0, 0);
  return 0;
}

LRESULT CFrameDlg::OnDpiLayout(WPARAM, LPARAM) {
  HWND window = hwnd;
  // A minimised window has no size to measure; it keeps the one it will be restored to.
  if (window == nullptr || IsIconic(window)) {
    return 1;
  }
  RECT place = {};
  GetWindowRect(window, &place);
  Sizes sizes = MeasureSizes();
  fullRect = At(place, sizes.width, sizes.full);
  collapsedRect = At(place, sizes.width, sizes.collapsed);
  MoveTo(window, grown ? fullRect : collapsedRect);
  return 1;
}

void CFrameDlg::SetIconsForDpi(UINT windowDpi) {
  HWND window = hwnd;
  ReplaceIcon(window, ICON_BIG, LoadMainIcon(ScaleForDpi(kBigIconEdge, windowDpi)), &bigIcon);
  ReplaceIcon(window, ICON_SMALL, LoadMainIcon(ScaleForDpi(kSmallIconEdge, windowDpi)), &smallIcon);
}
