// Helpers of the HID tests under Wine (see HidTestSupport.h).
#include "tests/win/hid/HidTestSupport.h"

#include <windows.h>

#include <string>
#include <vector>

void UseOwnSimulatorId() {
  std::wstring id = L"t" + std::to_wstring(GetCurrentProcessId());
  SetEnvironmentVariableW(L"PADWRIGHT_SIM_ID", id.c_str());
}

bool WaitUntil(const std::function<bool()>& condition, uint32_t timeoutMs) {
  const ULONGLONG start = GetTickCount64();
  while (!condition()) {
    if (GetTickCount64() - start >= timeoutMs) {
      return condition();
    }
    Sleep(2);
  }
  return true;
}

namespace {

std::wstring TempFilePath() {
  wchar_t folder[MAX_PATH];
  wchar_t file[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  GetTempFileNameW(folder, L"hid", 0, file);
  return file;
}

std::string ReadWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  std::string text;
  if (file == INVALID_HANDLE_VALUE) {
    return text;
  }
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
    text.append(chunk, got);
  }
  CloseHandle(file);
  return text;
}

}  // namespace

std::string RunSelfCapturingStdout(const std::wstring& arguments, int* exitCode) {
  *exitCode = -1;
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring outPath = TempFilePath();
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE out = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           0, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    return std::string();
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::wstring line = L"\"" + std::wstring(self) + L"\" " + arguments;
  std::vector<wchar_t> mutableLine(line.begin(), line.end());
  mutableLine.push_back(L'\0');
  PROCESS_INFORMATION process = {};
  if (CreateProcessW(self, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                     &startup, &process)) {
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    *exitCode = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(out);
  std::string text = ReadWholeFile(outPath);
  DeleteFileW(outPath.c_str());
  return text;
}
