// Reading a whole file into memory, letting others read and write it meanwhile.
#pragma once

#include <filesystem>
#include <istream>
#include <vector>

// True when the whole file was read; `out` then holds its bytes. False, with `out` left as
// it was, for a file that cannot be opened, is empty, is 4 GiB or larger, or gives fewer
// bytes than its size.
// The path is taken as the platform names files: wide text on Windows, the bytes the user
// gave on Linux (UTF-8 or not), never converted between the two.
bool ReadFileBytes(std::vector<unsigned char>& out, const std::filesystem::path& path);

// The largest file that ReadFileBytes reads; from 4 GiB on a file is refused rather than read.
constexpr unsigned long long kMaxFileBytes = 0xFFFFFFFFull;

namespace file_read_internal {

// The stream part of ReadFileBytes: measures `in` by seeking to its end, then reads it all.
bool ReadStreamBytes(std::istream& in, std::vector<unsigned char>& out);

}  // namespace file_read_internal
