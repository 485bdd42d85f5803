// Temp folders for the file-helper tests, made and removed with plain Win32 calls.
#include "tests/win/platform/TempFolder.h"

namespace {

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW entry{};
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") {
        continue;
      }
      std::wstring child = path + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

}  // namespace

TempFolder::TempFolder() {
  static LONG counter = 0;
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  path_ = std::wstring(temp) + L"padwright_platform_" + std::to_wstring(GetCurrentProcessId()) +
          L"_" + std::to_wstring(InterlockedIncrement(&counter));
  // GetTempPathW ends with a backslash; the folder itself is joined without one.
  RemoveTree(path_);
  CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
  RemoveTree(path_);
}

std::wstring TempFolder::MakeFolder(const std::wstring& relative) const {
  std::wstring full = *this / relative;
  std::filesystem::create_directories(std::filesystem::path(full));
  return full;
}

std::wstring TempFolder::MakeFile(const std::wstring& relative,
                                  const std::vector<unsigned char>& bytes) const {
  std::wstring full = *this / relative;
  HANDLE file = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    if (!bytes.empty()) {
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    CloseHandle(file);
  }
  return full;
}
