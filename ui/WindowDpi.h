// The scale a window is drawn at, for lengths that the code computes in pixels.
#pragma once

#include <windows.h>

// The DPI of `window`: that of its monitor under per-monitor awareness. Where Windows cannot
// tell a window's own DPI (before Windows 10 1607), the screen's.
UINT WindowDpi(HWND window);

// `length` pixels at 96 DPI, at `dpi`.
inline int ScaleForDpi(int length, UINT dpi) {
  return MulDiv(length, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}
