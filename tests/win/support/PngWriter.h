// Screenshots for the window tests: a screen area captured into a PNG file (uncompressed
// deflate blocks, so no compression library is needed).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/win/support/ScreenCapture.h"

namespace png {

// Writes `rgb` (width × height pixels, 3 bytes each, rows top-down) as a PNG file.
bool WriteRgb(const std::wstring& path, int width, int height, const std::vector<uint8_t>& rgb);
// Captures the screen area `area` and writes it as a PNG file.
bool CaptureScreen(const RECT& area, const std::wstring& path);
// Writes an area captured before as a PNG file.
bool WriteCapture(const screen::Capture& capture, const std::wstring& path);
// ${PADWRIGHT_BUILD_DIR}/screenshots/<name> (the Linux build dir seen through drive Z:), or
// the current folder when the variable is not set; the folder is created.
std::wstring ScreenshotPath(const std::wstring& name);

}  // namespace png
