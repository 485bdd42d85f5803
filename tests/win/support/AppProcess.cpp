// padwright.exe started and driven from a test (see AppProcess.h).
#include "tests/win/support/AppProcess.h"

#include <commctrl.h>

#include "frontends/window/resource.h"
#include "platform/win/FileSystem.h"
#include "tests/win/support/PngWriter.h"
#include "tests/win/support/ScreenCapture.h"
#include "tests/win/support/WindowProbe.h"

bool CopyProduct(const std::wstring& folder) {
  const std::wstring bin = GetModuleDirectory();
  for (const wchar_t* file : {L"\\padwright.exe", L"\\inpoutx64.dll"}) {
    if (!CopyFileW((bin + file).c_str(), (folder + file).c_str(), FALSE)) {
      return false;
    }
  }
  return true;
}

bool AppProcess::Launch(const std::wstring& folder) {
  return process_.Start(folder + L"\\padwright.exe", L"ignored arguments", folder);
}

bool AppProcess::Start(const std::wstring& folder) {
  if (!Launch(folder)) {
    return false;
  }
  window_ = probe::WaitForWindow(0, process_.Id(), L"#32770", kMainCaption, 30000);
  return window_ != nullptr;
}

DWORD AppProcess::Close() {
  // The window refuses a close until its sequence has handed back, which may be a moment
  // after its last box has gone: asked again each second, as a user presses close again.
  for (int second = 0; second < 20; ++second) {
    if (IsWindow(window_)) {
      PostMessageW(window_, WM_CLOSE, 0, 0);
    }
    const DWORD code = WaitExit(1000);
    if (code != kNotEnded) {
      return code;
    }
  }
  return kNotEnded;
}

std::wstring AppProcess::Text(int id) const {
  return probe::TextOf(Item(id));
}

void AppProcess::SetText(int id, const std::wstring& text) const {
  SendMessageTimeoutW(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_BLOCK,
                      5000, nullptr);
}

void AppProcess::Click(int id) const {
  SendMessageTimeoutW(Item(id), BM_CLICK, 0, 0, SMTO_BLOCK, 5000, nullptr);
}

bool AppProcess::WaitForText(int id, const std::wstring& text, DWORD timeoutMs) const {
  return probe::WaitFor([&] { return Text(id) == text; }, timeoutMs);
}

HWND AppProcess::WaitForBox(DWORD timeoutMs) const {
  HWND box = nullptr;
  probe::WaitFor(
      [&] {
        for (HWND w : probe::TopLevelWindows(0, process_.Id(), L"#32770", L"")) {
          if (w != window_ && IsWindowVisible(w) && GetWindow(w, GW_OWNER) == window_) {
            box = w;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return box;
}

bool AppProcess::Answer(HWND box, int id) const {
  PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(id), 0);
  return probe::WaitFor([&] { return !IsWindow(box); }, 10000);
}

int AppProcess::ProgressPosition() const {
  DWORD_PTR position = 0;
  SendMessageTimeoutW(Item(IDC_PROGRESS), PBM_GETPOS, 0, 0, SMTO_BLOCK, 5000, &position);
  return static_cast<int>(position);
}

void AppProcess::Screenshot(const std::wstring& name, HWND overlay) const {
  screen::Capture capture;
  if (overlay != nullptr) {
    screen::GrabSettled(overlay, &capture);
  }
  screen::GrabSettled(window_, &capture);
  png::WriteCapture(capture, png::ScreenshotPath(name));
}

void AppProcess::ScreenshotMoving(const std::wstring& name) const {
  screen::Capture capture;
  if (screen::GrabMoving(window_, &capture)) {
    png::WriteCapture(capture, png::ScreenshotPath(name));
  }
}
