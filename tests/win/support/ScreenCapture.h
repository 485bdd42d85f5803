// Screen pixels for the window tests: a screen area read into memory, waited on until the
// windows in it have finished painting, and the colours found along one row of it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace screen {

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  bool operator==(const Rgb& other) const { return r == other.r && g == other.g && b == other.b; }
};

// A captured area: width × height pixels, 3 bytes each (red, green, blue), rows top-down.
struct Capture {
  RECT area = {};
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;

  // The pixel at screen position (x, y); black outside the area.
  Rgb At(int x, int y) const;
  // How many pixels of row y (screen) from x0 up to x1 (exclusive) have colour `colour`.
  int CountInRow(int y, int x0, int x1, Rgb colour) const;
};

// Reads the screen area `area`. False when it is empty or cannot be read.
bool Grab(const RECT& area, Capture* out);
// Reads `window`'s rectangle once the window has painted: the window and its children are
// made to paint now (their thread serves that before anything queued later), then the area is
// read every 100 ms until two reads agree (drawing reaches the screen a little after a window
// paints) and `ready`, when given, accepts the read; for at most `timeoutMs`. False when that
// did not happen in time; `out` then holds the last read.
bool GrabSettled(HWND window, Capture* out,
                 const std::function<bool(const Capture&)>& ready = nullptr,
                 DWORD timeoutMs = 5000);
// Reads `window`'s rectangle once, shortly after making it paint: for a window whose content
// keeps moving (a transfer in progress), which never settles.
bool GrabMoving(HWND window, Capture* out);

}  // namespace screen
