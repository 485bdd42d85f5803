// ReadFileBytes against real files and against streams that misreport their size.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/FileRead.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// A temp folder of its own for each test, removed afterwards.
class FileReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::temp_directory_path() /
          ("padwright_read_" + std::to_string(::getpid()) + "_" + info->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }

  fs::path Write(const std::string& name, const Bytes& bytes) {
    fs::path file = dir / name;
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return file;
  }

  fs::path dir;
  const Bytes kBefore{9, 8, 7};
};

// A stream buffer that claims `claimed` bytes when asked for its end but delivers only
// `delivered` bytes of 0xAB.
class MisreportingBuffer final : public std::streambuf {
 public:
  MisreportingBuffer(std::streamoff claimed, std::streamoff delivered)
      : claimed_(claimed), left_(delivered) {}

 protected:
  pos_type seekoff(off_type offset, std::ios_base::seekdir way, std::ios_base::openmode) override {
    if (way == std::ios_base::end) {
      position_ = claimed_ + offset;
    } else if (way == std::ios_base::beg) {
      position_ = offset;
    } else {
      position_ += offset;
    }
    return pos_type(position_);
  }
  pos_type seekpos(pos_type position, std::ios_base::openmode) override {
    position_ = position;
    return position;
  }
  int_type underflow() override {
    if (left_ <= 0) {
      return traits_type::eof();
    }
    --left_;
    current_ = char(0xAB);
    setg(&current_, &current_, &current_ + 1);
    return traits_type::to_int_type(current_);
  }

 private:
  std::streamoff claimed_;
  std::streamoff left_;
  std::streamoff position_ = 0;
  char current_ = 0;
};

}  // namespace

TEST_F(FileReadTest, ReadsEveryByteOfAFile) {
  Bytes bytes(150);
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<unsigned char>(i * 7 + 3);
  }
  fs::path file = Write("fw.vxf", bytes);
  Bytes out = kBefore;
  ASSERT_TRUE(ReadFileBytes(out, file));
  EXPECT_EQ(out, bytes);
  // Reading replaces what `out` held, whatever its size.
  Bytes big(1000, 1);
  ASSERT_TRUE(ReadFileBytes(big, file));
  EXPECT_EQ(big, bytes);
  // A file holding only zeros and 0x1A/0x0D/0x0A bytes comes back unchanged (binary mode).
  Bytes tricky{0x0D, 0x0A, 0x1A, 0x00, 0x0A, 0x0D, 0xFF};
  fs::path other = Write("tricky.vxf", tricky);
  ASSERT_TRUE(ReadFileBytes(out, other));
  EXPECT_EQ(out, tricky);
}

TEST_F(FileReadTest, RefusesWhatIsNoUsableFile) {
  Bytes out = kBefore;
  EXPECT_FALSE(ReadFileBytes(out, Write("empty.vxf", {})));
  EXPECT_FALSE(ReadFileBytes(out, dir / "missing.vxf"));
  EXPECT_FALSE(ReadFileBytes(out, dir));
  EXPECT_FALSE(ReadFileBytes(out, L""));
  fs::path noAccess = Write("noaccess.vxf", Bytes(10, 1));
  fs::permissions(noAccess, fs::perms::none);
  if (::geteuid() != 0) {  // root reads whatever the permissions say
    EXPECT_FALSE(ReadFileBytes(out, noAccess));
  }
  EXPECT_EQ(out, kBefore);
}

TEST_F(FileReadTest, RefusesFilesOfFourGibibytesOrMore) {
  Bytes out = kBefore;
  fs::path huge = dir / "huge.vxf";
  std::ofstream(huge).close();
  std::error_code error;
  fs::resize_file(huge, 0x100000000ull, error);  // sparse: no disk space used
  if (!error) {
    EXPECT_FALSE(ReadFileBytes(out, huge));
  }
  MisreportingBuffer fourGiB(0x100000000ll, 0);
  std::istream fourGiBStream(&fourGiB);
  EXPECT_FALSE(file_read_internal::ReadStreamBytes(fourGiBStream, out));
  // Sized by its low 32 bits this one would look like 150 bytes.
  MisreportingBuffer wraps(0x100000000ll + 150, 150);
  std::istream wrapsStream(&wraps);
  EXPECT_FALSE(file_read_internal::ReadStreamBytes(wrapsStream, out));
  EXPECT_EQ(out, kBefore);
}

TEST(FileReadStream, ShortReadFailsAndLeavesTheOutput) {
  const Bytes before{1, 2, 3};
  Bytes out = before;
  MisreportingBuffer shortBuffer(150, 100);
  std::istream shortStream(&shortBuffer);
  EXPECT_FALSE(file_read_internal::ReadStreamBytes(shortStream, out));
  EXPECT_EQ(out, before);
  // The same buffer delivering everything it claims is read whole.
  MisreportingBuffer full(150, 150);
  std::istream fullStream(&full);
  ASSERT_TRUE(file_read_internal::ReadStreamBytes(fullStream, out));
  EXPECT_EQ(out, Bytes(150, 0xAB));
}
