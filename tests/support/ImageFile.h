// A firmware file of a test's own in the temporary folder, removed with the object.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class ImageFile {
 public:
  // A name no other file of this or another test process has; nothing is written yet.
  ImageFile();
  ~ImageFile();
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;

  // Replaces the file's content with `bytes` (none leaves an empty file).
  bool Write(const std::vector<uint8_t>& bytes);
  std::wstring Path() const { return path_.wstring(); }

 private:
  std::filesystem::path path_;
};
