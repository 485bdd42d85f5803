// ReadFileBytes on Windows: wide paths, folders, and files that others hold open.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "platform/FileRead.h"
#include "tests/win/support/HeldFile.h"
#include "tests/win/support/TestFolder.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Pattern(size_t size) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<unsigned char>(i * 13 + 1);
  }
  // Bytes a text-mode stream would change or stop at.
  bytes[10] = 0x1A;
  bytes[20] = 0x0D;
  bytes[21] = 0x0A;
  return bytes;
}

}  // namespace

TEST(WinFileRead, ReadsWholeFilesByWidePath) {
  TestFolder temp;
  Bytes bytes = Pattern(150);
  Bytes out{5};
  ASSERT_TRUE(ReadFileBytes(out, temp.MakeFile(L"fw.vxf", bytes)));
  EXPECT_EQ(out, bytes);
  // A name outside the ANSI code page must reach the file system unchanged.
  std::wstring wide = temp.MakeFile(L"firmware-\u00e9\u4e2d\u0416.vxf", Pattern(77));
  ASSERT_TRUE(ReadFileBytes(out, wide));
  EXPECT_EQ(out, Pattern(77));
}

TEST(WinFileRead, RefusesWhatIsNoUsableFile) {
  TestFolder temp;
  const Bytes before{9, 9};
  Bytes out = before;
  EXPECT_FALSE(ReadFileBytes(out, temp.File(L"missing.vxf")));
  EXPECT_FALSE(ReadFileBytes(out, temp.MakeFolder(L"folder.vxf")));
  EXPECT_FALSE(ReadFileBytes(out, temp.MakeFile(L"empty.vxf")));
  EXPECT_FALSE(ReadFileBytes(out, L""));
  EXPECT_EQ(out, before);
}

TEST(WinFileRead, LockedFileFailsSharedFileIsRead) {
  TestFolder temp;
  std::wstring path = temp.MakeFile(L"fw.vxf", Pattern(150));
  const Bytes before{1};
  Bytes out = before;
  {
    // Another holder that shares nothing: the file cannot be opened.
    HeldFile locked(path, GENERIC_READ, 0);
    ASSERT_TRUE(locked.IsOpen());
    EXPECT_FALSE(ReadFileBytes(out, path));
    EXPECT_EQ(out, before);
  }
  {
    // A writer that lets others read and write: reading goes on beside it.
    HeldFile writer(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(writer.IsOpen());
    ASSERT_TRUE(ReadFileBytes(out, path));
    EXPECT_EQ(out, Pattern(150));
  }
}
