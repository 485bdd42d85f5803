// Reading a whole file into memory, letting others read and write it meanwhile.
#pragma once

#include <istream>
#include <string>
#include <vector>

// True when the whole file was read; `out` then holds its bytes. False, with `out` left as
// it was, for a file that cannot be opened, is empty, is 4 GiB or larger, or gives fewer
// bytes than its size.
bool ReadFileBytes(std::vector<unsigned char>& out, const std::wstring& path);

namespace file_read_internal {

// Files from this size on are refused rather than read.
constexpr unsigned long long kMaxFileBytes = 0xFFFFFFFFull;

// The stream part of ReadFileBytes: measures `in` by seeking to its end, then reads it all.
bool ReadStreamBytes(std::istream& in, std::vector<unsigned char>& out);

}  // namespace file_read_internal
