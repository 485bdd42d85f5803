// HidHide's control device made to exist in the Wine prefix (see FakeHidHide.h).
#include "tests/win/support/FakeHidHide.h"

#include <windows.h>

FakeHidHide::FakeHidHide() {
  // WINEPREFIX reaches Wine programs from the Linux environment, as a Linux path; drive Z:
  // is the Linux root.
  wchar_t prefix[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || prefix[0] != L'/') {
    return;
  }
  std::wstring path = std::wstring(L"Z:") + prefix + L"/dosdevices/hidhide";
  for (wchar_t& c : path) {
    c = c == L'/' ? L'\\' : c;
  }
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    path_ = path;
  }
}

FakeHidHide::~FakeHidHide() {
  if (Made()) {
    DeleteFileW(path_.c_str());
  }
}
