// A test's own firmware file (see ImageFile.h).
#include "tests/support/ImageFile.h"

#include <unistd.h>

#include <atomic>
#include <fstream>

ImageFile::ImageFile() {
  static std::atomic<unsigned> made{0};
  path_ = std::filesystem::temp_directory_path() /
          ("padwright-" + std::to_string(getpid()) + "-" + std::to_string(++made) + ".vxf");
}

ImageFile::~ImageFile() {
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
}

bool ImageFile::Write(const std::vector<uint8_t>& bytes) {
  std::ofstream out(path_, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}
