// A small program for the discovery test: copied into a folder, it lists the "*.vxf" files
// beside itself (as the main window does at start-up) into the file named by its argument,
// one path a line, and exits with their number.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "platform/win/FileSystem.h"

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 2) {
    return -1;
  }
  std::wstring listing;
  std::vector<std::wstring> found = FindFirmwareFiles(GetModuleDirectory());
  for (const std::wstring& path : found) {
    listing += path + L"\n";
  }
  HANDLE out = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
  LocalFree(argv);
  if (out == INVALID_HANDLE_VALUE) {
    return -1;
  }
  DWORD written = 0;
  WriteFile(out, listing.data(), static_cast<DWORD>(listing.size() * sizeof(wchar_t)), &written,
            nullptr);
  CloseHandle(out);
  return static_cast<int>(found.size());
}
