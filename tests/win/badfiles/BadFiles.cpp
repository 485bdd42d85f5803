// Making the bad firmware files of the tests.
#include "tests/win/badfiles/BadFiles.h"

#include <windows.h>
#include <winioctl.h>

#include "tests/win/support/TestFolder.h"

bool MakeSparseFile(const std::wstring& path, uint64_t bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  DWORD ignored = 0;
  // On NTFS the size alone would allocate the whole length; marked sparse it does not. A file
  // system without sparse files (or Wine's) may refuse the mark: setting the size still works.
  DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(bytes);
  const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return sized;
}

std::wstring MakeLongPathFile(const std::wstring& root, const std::vector<uint8_t>& bytes) {
  std::wstring folder = root;
  const std::wstring part(40, L'd');
  while (folder.size() < MAX_PATH) {
    folder += L"\\" + part;
    CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr);
  }
  const std::wstring path = folder + L"\\firmware.vxf";
  return WriteWholeFile(path, bytes) ? path : std::wstring();
}
