// One run of the shipped padwright.exe against the controller simulator.
#include "tests/e2e/ProductSession.h"

#include <commctrl.h>

#include "PngWriter.h"
#include "ScreenCapture.h"
#include "ui/resource.h"
#include "WindowProbe.h"

namespace {

std::wstring ModuleFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text = path;
  return text.substr(0, text.find_last_of(L'\\'));
}

bool WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

}  // namespace

ProductSession::ProductSession(ControllerSimulator& sim, size_t imageBytes,
                               const std::wstring& folder)
    : sim_(sim) {
  host_.AddController(sim_);
  PrepareFolder(imageBytes, folder);
}

ProductSession::~ProductSession() {
  if (process_.hProcess != nullptr) {
    if (Close() < 0) {
      TerminateProcess(process_.hProcess, 1);  // our own child, by its handle
      WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  host_.Stop();
  if (!temporary_) {
    return;
  }
  for (const wchar_t* name : {L"\\padwright.exe", L"\\inpoutx64.dll", L"\\firmware.vxf"}) {
    DeleteFileW((folder_ + name).c_str());
  }
  RemoveDirectoryW(folder_.c_str());
}

bool ProductSession::PrepareFolder(size_t imageBytes, const std::wstring& folder) {
  static unsigned sessions = 0;
  temporary_ = folder.empty();
  folder_ = folder;
  if (temporary_) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"padwright-e2e-" + std::to_wstring(GetCurrentProcessId()) +
              L"-" + std::to_wstring(++sessions);
  }
  CreateDirectoryW(folder_.c_str(), nullptr);
  std::wstring bin = ModuleFolder();
  bool copied =
      CopyFileW((bin + L"\\padwright.exe").c_str(), (folder_ + L"\\padwright.exe").c_str(),
                FALSE) &&
      CopyFileW((bin + L"\\inpoutx64.dll").c_str(), (folder_ + L"\\inpoutx64.dll").c_str(), FALSE);
  image_.resize(imageBytes);
  uint32_t state = 0xC0FFEE11u;
  for (uint8_t& byte : image_) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(state >> 16);
  }
  return copied && WriteBytes(ImagePath(), image_);
}

bool ProductSession::Start() {
  if (!host_.Start()) {
    return false;
  }
  std::wstring exe = folder_ + L"\\padwright.exe";
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder_.c_str(), &startup, &process_)) {
    process_ = {};
    return false;
  }
  window_ = probe::WaitForWindow(0, process_.dwProcessId, L"#32770", kMainCaption, 30000);
  return window_ != nullptr;
}

std::wstring ProductSession::Text(int id) const {
  return probe::TextOf(Item(id));
}

void ProductSession::SetText(int id, const std::wstring& text) {
  SendMessageTimeoutW(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_BLOCK,
                      5000, nullptr);
}

void ProductSession::Click(int id) {
  SendMessageTimeoutW(Item(id), BM_CLICK, 0, 0, SMTO_BLOCK, 5000, nullptr);
}

bool ProductSession::WaitForText(int id, const std::wstring& text, DWORD timeoutMs) {
  return probe::WaitFor([&] { return Text(id) == text; }, timeoutMs);
}

HWND ProductSession::WaitForBox(DWORD timeoutMs) {
  HWND box = nullptr;
  probe::WaitFor(
      [&] {
        for (HWND w : probe::TopLevelWindows(0, process_.dwProcessId, L"#32770", L"")) {
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

bool ProductSession::Dismiss(HWND box) {
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return probe::WaitFor([&] { return !IsWindow(box); }, 10000);
}

int ProductSession::ProgressPosition() const {
  DWORD_PTR position = 0;
  SendMessageTimeoutW(Item(IDC_PROGRESS), PBM_GETPOS, 0, 0, SMTO_BLOCK, 5000, &position);
  return static_cast<int>(position);
}

void ProductSession::Screenshot(const std::wstring& name, HWND overlay) const {
  screen::Capture capture;
  if (overlay != nullptr) {
    screen::GrabSettled(overlay, &capture);
  }
  screen::GrabSettled(window_, &capture);
  png::WriteCapture(capture, png::ScreenshotPath(name));
}

int ProductSession::Close() {
  if (process_.hProcess == nullptr) {
    return -1;
  }
  if (IsWindow(window_)) {
    PostMessageW(window_, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) {
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<int>(code);
}

int ProductSession::WaitForExit() {
  if (process_.hProcess == nullptr) {
    return -1;
  }
  // Serve this thread's messages meanwhile: the product's window calls may reach ours.
  while (MsgWaitForMultipleObjects(1, &process_.hProcess, FALSE, INFINITE, QS_ALLINPUT) !=
         WAIT_OBJECT_0) {
    probe::Pump();
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<int>(code);
}
