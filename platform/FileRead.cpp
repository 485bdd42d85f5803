// ReadFileBytes over a binary file stream.
#include "platform/FileRead.h"

#include <filesystem>
#include <fstream>
#include <new>

namespace file_read_internal {

bool ReadStreamBytes(std::istream& in, std::vector<unsigned char>& out) {
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  // tellg gives -1 when the position cannot be taken (a folder opened as a file on Linux).
  if (!in || size <= 0 || static_cast<unsigned long long>(size) > kMaxFileBytes) {
    return false;
  }
  std::vector<unsigned char> data;
  try {
    data.resize(static_cast<size_t>(size));
  } catch (const std::exception&) {
    return false;
  }
  in.read(reinterpret_cast<char*>(data.data()), size);
  // A short read would leave zeros where the image has bytes: refuse it.
  if (in.gcount() != size) {
    return false;
  }
  out.swap(data);
  return true;
}

}  // namespace file_read_internal

bool ReadFileBytes(std::vector<unsigned char>& out, const std::filesystem::path& file) {
  if (file.empty()) {
    return false;
  }
  try {
    // Linux opens a folder as a stream and reports a huge size for it; Windows refuses it.
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) {
      return false;
    }
    // The stream opens the file sharing read and write access with others.
    std::ifstream in(file, std::ios::in | std::ios::binary);
    if (!in.is_open()) {
      return false;
    }
    return file_read_internal::ReadStreamBytes(in, out);
  } catch (const std::exception&) {
    return false;
  }
}
