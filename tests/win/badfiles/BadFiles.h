// The bad firmware files of the tests that no plain write makes: one of a size beyond 4 GiB
// that takes no disk space, and one whose full path is longer than MAX_PATH.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A file of exactly `bytes` bytes that takes no disk space: only its size is set.
bool MakeSparseFile(const std::wstring& path, uint64_t bytes);
// A file `bytes` long whose full path is longer than MAX_PATH (nested folders under `root`).
std::wstring MakeLongPathFile(const std::wstring& root, const std::vector<uint8_t>& bytes);
