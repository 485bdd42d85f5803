// A fresh folder under the user's temp folder for one test, removed with everything in it.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::wstring& Path() const { return path_; }
  // Path() + "\" + relative.
  std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }
  // Creates a subfolder (and its parents) and returns its full path.
  std::wstring MakeFolder(const std::wstring& relative) const;
  // Writes `bytes` to a file (creating it) and returns its full path.
  std::wstring MakeFile(const std::wstring& relative,
                        const std::vector<unsigned char>& bytes = {}) const;

 private:
  std::wstring path_;
};
