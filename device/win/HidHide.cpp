// Whether HidHide is installed (see HidHide.h).
#include "device/win/HidHide.h"

#include <windows.h>

bool HidHideInstalled() {
  // No access asked for: only whether the device is there counts, not what we may do with it.
  HANDLE control = CreateFileW(L"\\\\.\\HidHide", 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (control != INVALID_HANDLE_VALUE) {
    CloseHandle(control);
    return true;
  }
  return GetLastError() != ERROR_FILE_NOT_FOUND;
}
