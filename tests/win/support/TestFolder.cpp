// A test's own temporary folder and its file operations (see TestFolder.h).
#include "tests/win/support/TestFolder.h"

#include <aclapi.h>
#include <sddl.h>

#include <filesystem>

namespace {

// The same path in the form that lifts the MAX_PATH limit.
std::wstring Extended(const std::wstring& path) {
  return path.rfind(L"\\\\?\\", 0) == 0 ? path : L"\\\\?\\" + path;
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW entry = {};
  HANDLE find = FindFirstFileW((Extended(folder) + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") {
        continue;
      }
      const std::wstring path = folder + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(Extended(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(Extended(path).c_str());
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(Extended(folder).c_str());
}

}  // namespace

bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  DWORD written = 0;
  const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                             &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

TestFolder::TestFolder(const std::wstring& name) {
  static LONG made = 0;
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  // GetTempPathW ends with a backslash; the folder itself is joined without one.
  path_ = std::wstring(temp) + L"padwright-" + name + L"-" +
          std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(InterlockedIncrement(&made));
  RemoveTree(path_);
  CreateDirectoryW(path_.c_str(), nullptr);
}

TestFolder::~TestFolder() {
  RemoveTree(path_);
}

std::wstring TestFolder::MakeFolder(const std::wstring& relative) const {
  std::wstring full = File(relative);
  std::filesystem::create_directories(std::filesystem::path(full));
  return full;
}

std::wstring TestFolder::MakeFile(const std::wstring& relative,
                                  const std::vector<uint8_t>& bytes) const {
  Write(relative, bytes);
  return File(relative);
}

bool TestFolder::Write(const std::wstring& relative, const std::vector<uint8_t>& bytes) const {
  return WriteWholeFile(File(relative), bytes);
}

bool TestFolder::Copy(const std::wstring& from, const std::wstring& relative) const {
  return CopyFileW(from.c_str(), File(relative).c_str(), FALSE) != FALSE;
}

bool TestFolder::Exists(const std::wstring& relative) const {
  return GetFileAttributesW(Extended(File(relative)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool LetEveryoneWrite(const std::wstring& folder) {
  PSECURITY_DESCRIPTOR open = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;FA;;;WD)", SDDL_REVISION_1,
                                                            &open, nullptr)) {
    return false;
  }
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL list = nullptr;
  GetSecurityDescriptorDacl(open, &present, &list, &defaulted);
  const DWORD set =
      SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                            DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, list, nullptr);
  LocalFree(open);
  return set == ERROR_SUCCESS;
}
