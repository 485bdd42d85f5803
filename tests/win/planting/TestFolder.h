// A folder of a test's own under the temporary folder, emptied and removed afterwards, with
// the few file operations the planting and bad-file tests need.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class TestFolder {
 public:
  // A fresh folder named after `name` and this process.
  explicit TestFolder(const std::wstring& name);
  // Removes the folder with everything in it, also below paths longer than MAX_PATH.
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::wstring& Path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
  bool Copy(const std::wstring& from, const std::wstring& name) const;
  bool Write(const std::wstring& name, const std::vector<uint8_t>& bytes) const;
  bool Exists(const std::wstring& name) const;

 private:
  std::wstring path_;
};

// The folder of the running test program.
std::wstring ModuleFolder();
// Writes `bytes` to `path` (any length, "\\?\" paths too); false on any failure.
bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes);
// Runs `exe` in `folder` and waits up to `timeoutMs` for it; its exit code, -1 if it did not
// start or end.
int RunAndWait(const std::wstring& exe, const std::wstring& folder, DWORD timeoutMs = 30000);
