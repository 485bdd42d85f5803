// Folder and file-name parts of a path, and its extension.
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

namespace {

wchar_t AsciiLower(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

}  // namespace

bool HasExtension(const std::wstring& path, const std::wstring& extension) {
  std::wstring name = FileNameOf(path);
  if (name.size() < extension.size()) {
    return false;
  }
  return std::equal(extension.begin(), extension.end(), name.end() - extension.size(),
                    [](wchar_t a, wchar_t b) { return AsciiLower(a) == AsciiLower(b); });
}
