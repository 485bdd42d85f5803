// padwright.exe started from the window tests (see AppProcess.h).
#include "AppProcess.h"

#include "WindowProbe.h"
#include "platform/win/FileSystem.h"

namespace {

const wchar_t kCaption[] = L"Padwright (20250522)";
const wchar_t* const kProgramFiles[] = {L"\\padwright.exe", L"\\inpoutx64.dll"};

std::wstring FirmwareName(int index) {
  return L"\\fw" + std::to_wstring(index) + L".vxf";
}

}  // namespace

AppFolder::AppFolder(const std::wstring& name, int firmwareFiles) : firmwareFiles_(firmwareFiles) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  path_ =
      std::wstring(temp) + L"padwright-ui-" + name + L"-" + std::to_wstring(GetCurrentProcessId());
  ready_ = CreateDirectoryW(path_.c_str(), nullptr) != FALSE;
  std::wstring bin = GetModuleDirectory();
  for (const wchar_t* file : kProgramFiles) {
    ready_ = ready_ && CopyFileW((bin + file).c_str(), (path_ + file).c_str(), FALSE);
  }
  for (int i = 0; i < firmwareFiles; ++i) {
    HANDLE h = CreateFileW((path_ + FirmwareName(i)).c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ready_ = ready_ && h != INVALID_HANDLE_VALUE;
    CloseHandle(h);
  }
}

AppFolder::~AppFolder() {
  for (const wchar_t* file : kProgramFiles) {
    DeleteFileW((path_ + file).c_str());
  }
  for (int i = 0; i < firmwareFiles_; ++i) {
    DeleteFileW((path_ + FirmwareName(i)).c_str());
  }
  RemoveDirectoryW(path_.c_str());
}

AppProcess::~AppProcess() {
  if (process_.hProcess == nullptr) {
    return;
  }
  if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hProcess);
  CloseHandle(process_.hThread);
}

bool AppProcess::Launch(const std::wstring& folder) {
  std::wstring exe = folder + L"\\padwright.exe";
  std::wstring command = L"\"" + exe + L"\" ignored arguments";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process_)) {
    process_ = {};
    return false;
  }
  return true;
}

bool AppProcess::Start(const std::wstring& folder) {
  if (!Launch(folder)) {
    return false;
  }
  window_ = probe::WaitForWindow(0, process_.dwProcessId, L"#32770", kCaption, 20000);
  return window_ != nullptr;
}

DWORD AppProcess::WaitExit(DWORD timeoutMs) {
  DWORD code = kNotEnded;
  if (process_.hProcess != nullptr &&
      WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process_.hProcess, &code);
  }
  return code;
}

DWORD AppProcess::Close() {
  PostMessageW(window_, WM_CLOSE, 0, 0);
  return WaitExit();
}

std::wstring AppProcess::Text(int id) const {
  return probe::TextOf(Item(id));
}

bool AppProcess::WaitForText(int id, const std::wstring& text, DWORD timeoutMs) const {
  return probe::WaitFor([&] { return Text(id) == text; }, timeoutMs);
}

void AppProcess::Click(int id) const {
  SendMessageTimeoutW(Item(id), BM_CLICK, 0, 0, SMTO_BLOCK, 5000, nullptr);
}
