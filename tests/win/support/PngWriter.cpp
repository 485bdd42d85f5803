// PNG writing with stored deflate blocks, for screen captures.
#include "tests/win/support/PngWriter.h"

#include <cstdio>

namespace png {

namespace {

uint32_t Crc(const uint8_t* data, size_t size, uint32_t crc = 0xFFFFFFFFu) {
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) {
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
  }
  return crc;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<uint8_t>(v >> shift));
  }
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Put32(out, Crc(out.data() + start, out.size() - start) ^ 0xFFFFFFFFu);
}

// A zlib stream of stored (uncompressed) blocks.
std::vector<uint8_t> Zlib(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> out = {0x78, 0x01};
  size_t pos = 0;
  do {
    size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
    bool last = pos + n == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<uint8_t>(n));
    out.push_back(static_cast<uint8_t>(n >> 8));
    out.push_back(static_cast<uint8_t>(~n));
    out.push_back(static_cast<uint8_t>(~n >> 8));
    out.insert(out.end(), raw.begin() + pos, raw.begin() + pos + n);
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  Put32(out, (b << 16) | a);
  return out;
}

}  // namespace

bool WriteRgb(const std::wstring& path, int width, int height, const std::vector<uint8_t>& rgb) {
  std::vector<uint8_t> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // filter: none
    auto row = rgb.begin() + static_cast<size_t>(y) * width * 3;
    raw.insert(raw.end(), row, row + width * 3);
  }
  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  Put32(header, width);
  Put32(header, height);
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  Chunk(file, "IHDR", header);
  Chunk(file, "IDAT", Zlib(raw));
  Chunk(file, "IEND", {});
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (f == nullptr) {
    return false;
  }
  bool ok = fwrite(file.data(), 1, file.size(), f) == file.size();
  return fclose(f) == 0 && ok;
}

bool CaptureScreen(const RECT& area, const std::wstring& path) {
  screen::Capture capture;
  return screen::Grab(area, &capture) && WriteCapture(capture, path);
}

bool WriteCapture(const screen::Capture& capture, const std::wstring& path) {
  return WriteRgb(path, capture.width, capture.height, capture.rgb);
}

std::wstring ScreenshotPath(const std::wstring& name) {
  wchar_t build[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableW(L"PADWRIGHT_BUILD_DIR", build, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    return name;
  }
  std::wstring dir = L"Z:" + std::wstring(build) + L"/screenshots";
  for (wchar_t& c : dir) {
    if (c == L'/') {
      c = L'\\';
    }
  }
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir + L"\\" + name;
}

}  // namespace png
