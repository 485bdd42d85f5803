// Folder and file-name parts of paths.
#include <gtest/gtest.h>

#include "platform/PathText.h"

TEST(PathText, DirectoryOfIsTheTextBeforeTheLastBackslash) {
  EXPECT_EQ(DirectoryOf(L"C:\\a\\b.vxf"), L"C:\\a");
  EXPECT_EQ(DirectoryOf(L"b.vxf"), L"");
  EXPECT_EQ(DirectoryOf(L""), L"");
  EXPECT_EQ(DirectoryOf(L"C:\\a\\"), L"C:\\a");
  EXPECT_EQ(DirectoryOf(L"\\b.vxf"), L"");
  // Forward slashes are no separators here...
  EXPECT_EQ(DirectoryOf(L"sub/b.vxf"), L"");
  EXPECT_EQ(DirectoryOf(L"C:\\x/y\\z"), L"C:\\x/y");
}

TEST(PathText, DirectoryOfAnySlashCountsForwardSlashes) {
  EXPECT_EQ(DirectoryOfAnySlash(L"sub/b.vxf"), L"sub");
  EXPECT_EQ(DirectoryOfAnySlash(L"sub\\b.vxf"), L"sub");
  EXPECT_EQ(DirectoryOfAnySlash(L"a/b\\c/*.vxf"), L"a\\b\\c");
  EXPECT_EQ(DirectoryOfAnySlash(L"*.vxf"), L"");
  EXPECT_EQ(DirectoryOfAnySlash(L""), L"");
}

TEST(PathText, FileNameOfIsTheTextAfterTheLastBackslash) {
  EXPECT_EQ(FileNameOf(L"C:\\a\\b.vxf"), L"b.vxf");
  EXPECT_EQ(FileNameOf(L"b.vxf"), L"b.vxf");
  EXPECT_EQ(FileNameOf(L"C:\\a\\"), L"");
  EXPECT_EQ(FileNameOf(L""), L"");
  EXPECT_EQ(FileNameOf(L"C:\\a/b.vxf"), L"a/b.vxf");
}
