// Win32 file and path helpers over GetModuleFileNameW, GetFileAttributesExW, PathIsRelativeW
// and FindFirstFileW.
#include "platform/win/FileSystem.h"

#include <windows.h>
#include <shlwapi.h>

#include <functional>

#include "platform/PathText.h"

namespace {

constexpr DWORD kModulePathChars = 260;

bool ReadAttributes(const std::wstring& path, DWORD& attributes) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    return false;
  }
  attributes = data.dwFileAttributes;
  return true;
}

bool IsDotEntry(const wchar_t* name) {
  return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
}

// Calls `visit` for every entry that `search` (a folder, a backslash and a wildcard) lists.
void ForEachEntry(const std::wstring& search,
                  const std::function<void(const WIN32_FIND_DATAW&)>& visit) {
  WIN32_FIND_DATAW entry{};
  HANDLE find = FindFirstFileW(search.c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) {
    return;
  }
  do {
    if (!IsDotEntry(entry.cFileName)) {
      visit(entry);
    }
  } while (FindNextFileW(find, &entry));
  FindClose(find);
}

void ListFiles(const std::wstring& dir, const std::wstring& pattern, int depth,
               std::vector<std::wstring>& result) {
  if (depth < 0 || !IsDirectory(dir)) {
    return;
  }
  ForEachEntry(dir + L"\\" + pattern, [&](const WIN32_FIND_DATAW& entry) {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      result.push_back(dir + L"\\" + entry.cFileName);
    }
  });
  // Subfolders are found with "*": the pattern is for file names, not for folder names.
  ForEachEntry(dir + L"\\*", [&](const WIN32_FIND_DATAW& entry) {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ListFiles(dir + L"\\" + entry.cFileName, pattern, depth - 1, result);
    }
  });
}

}  // namespace

std::wstring GetModulePath() {
  wchar_t buffer[kModulePathChars] = {};
  DWORD length = GetModuleFileNameW(nullptr, buffer, kModulePathChars);
  // A full buffer means the path was cut (Windows then returns the buffer's size).
  if (length == 0 || length >= kModulePathChars) {
    return std::wstring();
  }
  return std::wstring(buffer, length);
}

std::wstring GetModuleDirectory() {
  return DirectoryOf(GetModulePath());
}

bool IsFile(const std::wstring& path) {
  DWORD attributes = 0;
  return ReadAttributes(path, attributes) && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsDirectory(const std::wstring& path) {
  DWORD attributes = 0;
  return ReadAttributes(path, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring MakeAbsolute(const std::wstring& path) {
  if (!PathIsRelativeW(path.c_str())) {
    return path;
  }
  if (path.empty()) {
    return GetModuleDirectory();
  }
  return GetModuleDirectory() + L"\\" + path;
}

std::vector<std::wstring> FindFiles(const std::wstring& directory, const std::wstring& pattern,
                                    int depth) {
  std::vector<std::wstring> result;
  std::wstring wildcard = pattern.empty() ? std::wstring(L"*") : pattern;
  if (!DirectoryOfAnySlash(wildcard).empty()) {
    return result;
  }
  ListFiles(MakeAbsolute(directory), wildcard, depth, result);
  return result;
}

std::vector<std::wstring> FindFirmwareFiles(const std::wstring& directory) {
  std::vector<std::wstring> found = FindFiles(directory, L"*.vxf", 0);
  std::erase_if(found, [](const std::wstring& path) { return !HasExtension(path, L".vxf"); });
  return found;
}
