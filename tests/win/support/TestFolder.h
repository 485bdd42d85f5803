// A fresh folder of a test's own under the temporary folder, removed with everything in it
// afterwards, and the few file operations the Windows tests need.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class TestFolder {
 public:
  // "padwright-<name>-<process id>-<n>": apart from every other folder of this or another
  // test process. What a crashed earlier run left under that name is removed first.
  explicit TestFolder(const std::wstring& name = L"test");
  // Removes the folder with everything in it, also below paths longer than MAX_PATH.
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::wstring& Path() const { return path_; }
  // Path() + "\" + relative.
  std::wstring File(const std::wstring& relative) const { return path_ + L"\\" + relative; }
  // Creates a subfolder (and its parents) and returns its full path.
  std::wstring MakeFolder(const std::wstring& relative) const;
  // Writes `bytes` to a file (creating it) and returns its full path.
  std::wstring MakeFile(const std::wstring& relative, const std::vector<uint8_t>& bytes = {}) const;
  // The same, telling whether it worked.
  bool Write(const std::wstring& relative, const std::vector<uint8_t>& bytes) const;
  bool Copy(const std::wstring& from, const std::wstring& relative) const;
  bool Exists(const std::wstring& relative) const;

 private:
  std::wstring path_;
};

// Gives `folder` an access list (inheritance off) that lets everyone change it, as a folder
// another account made might have; false on any failure.
bool LetEveryoneWrite(const std::wstring& folder);
// Writes `bytes` to `path` (any length, "\\?\" paths too); false on any failure.
bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes);
