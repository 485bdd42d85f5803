// The bad firmware files of the tests, made in a test folder: each gives the path to type
// into the window, and a file that must stay locked keeps its handle for the case's span.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TestFolder.h"

// Holds a file open without sharing, as another program may, until destroyed.
class FileLock {
 public:
  explicit FileLock(const std::wstring& path);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// A file of exactly `bytes` bytes that takes no disk space: only its size is set.
bool MakeSparseFile(const std::wstring& path, uint64_t bytes);
// A file `bytes` long whose full path is longer than MAX_PATH (nested folders under `root`).
std::wstring MakeLongPathFile(const std::wstring& root, const std::vector<uint8_t>& bytes);
// Bytes of a made-up image.
std::vector<uint8_t> SomeImage(size_t size, uint32_t seed);
