// This test program run again as a child with its standard output captured.
#include "tests/win/hid/HidTestSupport.h"

#include <windows.h>

#include "platform/win/FileSystem.h"
#include "tests/win/support/ChildProcess.h"

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
  std::wstring outPath = TempFilePath();
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE out = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           0, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    return std::string();
  }
  ChildProcess child;
  if (child.Start(GetModulePath(), arguments, L"", out)) {
    const DWORD code = child.Wait(60000);
    *exitCode = code == ChildProcess::kNotEnded ? -1 : static_cast<int>(code);
  }
  child.End();
  CloseHandle(out);
  std::string text = ReadWholeFile(outPath);
  DeleteFileW(outPath.c_str());
  return text;
}
