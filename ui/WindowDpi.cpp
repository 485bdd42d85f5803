// The scale a window is drawn at.
#include "ui/WindowDpi.h"

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

// Looked up at run time: imported, the function would keep the exe from starting at all on
// the systems before Windows 10 1607 that the manifest's per-monitor fallback is for.
GetDpiForWindowFn LookUpGetDpiForWindow() {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  FARPROC found = user32 != nullptr ? GetProcAddress(user32, "GetDpiForWindow") : nullptr;
  return reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(found));
}

}  // namespace

UINT WindowDpi(HWND window) {
  static const GetDpiForWindowFn getDpiForWindow = LookUpGetDpiForWindow();
  if (getDpiForWindow != nullptr) {
    UINT dpi = getDpiForWindow(window);
    if (dpi != 0) {
      return dpi;
    }
  }
  HDC screen = GetDC(nullptr);
  int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) {
    ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}
