// Folder and file-name parts of a path.
#include "platform/PathText.h"

#include <algorithm>

std::wstring DirectoryOf(const std::wstring& path) {
  size_t last = path.rfind(L'\\');
  return last == std::wstring::npos ? std::wstring() : path.substr(0, last);
}

std::wstring DirectoryOfAnySlash(const std::wstring& path) {
  std::wstring backslashed = path;
  std::replace(backslashed.begin(), backslashed.end(), L'/', L'\\');
  return DirectoryOf(backslashed);
}

std::wstring FileNameOf(const std::wstring& path) {
  size_t last = path.rfind(L'\\');
  return last == std::wstring::npos ? path : path.substr(last + 1);
}
