// Screen capture through GDI into memory, and waiting for a window's pixels to settle.
#include "tests/win/support/ScreenCapture.h"

namespace screen {

Rgb Capture::At(int x, int y) const {
  int cx = x - area.left;
  int cy = y - area.top;
  if (cx < 0 || cy < 0 || cx >= width || cy >= height) {
    return Rgb{};
  }
  size_t at = (static_cast<size_t>(cy) * width + cx) * 3;
  return Rgb{rgb[at], rgb[at + 1], rgb[at + 2]};
}

int Capture::CountInRow(int y, int x0, int x1, Rgb colour) const {
  int n = 0;
  for (int x = x0; x < x1; ++x) {
    n += At(x, y) == colour ? 1 : 0;
  }
  return n;
}

bool Grab(const RECT& area, Capture* out) {
  int w = area.right - area.left;
  int h = area.bottom - area.top;
  if (w <= 0 || h <= 0) {
    return false;
  }
  HDC screenDc = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screenDc);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screenDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = bitmap != nullptr;
  if (ok) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, w, h, screenDc, area.left, area.top, SRCCOPY) != FALSE;
    GdiFlush();
    out->area = area;
    out->width = w;
    out->height = h;
    out->rgb.assign(static_cast<size_t>(w) * h * 3, 0);
    const auto* bgra = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; ok && i < static_cast<size_t>(w) * h; ++i) {
      out->rgb[i * 3] = bgra[i * 4 + 2];
      out->rgb[i * 3 + 1] = bgra[i * 4 + 1];
      out->rgb[i * 3 + 2] = bgra[i * 4];
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screenDc);
  return ok;
}

namespace {

// For another thread's window the paint messages are sent: this returns once it has painted.
RECT PaintNow(HWND window) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT area = {};
  GetWindowRect(window, &area);
  return area;
}

}  // namespace

bool GrabMoving(HWND window, Capture* out) {
  RECT area = PaintNow(window);
  Sleep(100);  // drawing reaches the screen a little after the window paints
  return Grab(area, out);
}

bool GrabSettled(HWND window, Capture* out, const std::function<bool(const Capture&)>& ready,
                 DWORD timeoutMs) {
  RECT area = PaintNow(window);
  DWORD start = GetTickCount();
  Capture last;
  bool haveLast = false;
  for (;;) {
    Sleep(100);
    if (!Grab(area, out)) {
      return false;
    }
    if (haveLast && out->rgb == last.rgb && (!ready || ready(*out))) {
      return true;
    }
    if (GetTickCount() - start > timeoutMs) {
      return false;
    }
    last = *out;
    haveLast = true;
  }
}

}  // namespace screen
