// The Win32 file and path helpers against real files and folders.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/PathText.h"
#include "platform/win/FileSystem.h"
#include "tests/win/support/TestFolder.h"

namespace {

using Paths = std::vector<std::wstring>;

// Lower-cased copies, for comparisons where only the case of a file system's answer may vary.
std::wstring Lower(std::wstring text) {
  CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

Paths Sorted(Paths paths) {
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace

TEST(FileSystem, ModulePathAndFolderNameThisProgram) {
  std::wstring path = GetModulePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(Lower(FileNameOf(path)), L"win_platform_tests.exe");
  EXPECT_TRUE(IsFile(path));
  std::wstring dir = GetModuleDirectory();
  EXPECT_EQ(dir, DirectoryOf(path));
  EXPECT_TRUE(IsDirectory(dir));
  EXPECT_EQ(dir + L"\\" + FileNameOf(path), path);
}

TEST(FileSystem, MakeAbsoluteJoinsRelativePathsToTheProgramsFolder) {
  std::wstring dir = GetModuleDirectory();
  EXPECT_EQ(MakeAbsolute(L""), dir);
  EXPECT_EQ(MakeAbsolute(L"fw"), dir + L"\\fw");
  EXPECT_EQ(MakeAbsolute(L"sub\\fw.vxf"), dir + L"\\sub\\fw.vxf");
  EXPECT_EQ(MakeAbsolute(L"C:\\firmware\\fw.vxf"), L"C:\\firmware\\fw.vxf");
  EXPECT_EQ(MakeAbsolute(L"\\\\server\\share\\fw.vxf"), L"\\\\server\\share\\fw.vxf");
  EXPECT_EQ(MakeAbsolute(dir), dir);
}

TEST(FileSystem, FileAndFolderTests) {
  TestFolder temp;
  std::wstring file = temp.MakeFile(L"fw.vxf", {1, 2, 3});
  std::wstring folder = temp.MakeFolder(L"sub");
  EXPECT_TRUE(IsFile(file));
  EXPECT_FALSE(IsDirectory(file));
  EXPECT_TRUE(IsDirectory(folder));
  EXPECT_FALSE(IsFile(folder));
  EXPECT_FALSE(IsFile(temp.File(L"missing.vxf")));
  EXPECT_FALSE(IsDirectory(temp.File(L"missing")));
  EXPECT_FALSE(IsFile(temp.File(L"missing\\fw.vxf")));
  EXPECT_FALSE(IsFile(L""));
  EXPECT_FALSE(IsDirectory(L""));

  // No attribute bits at all (FILE_ATTRIBUTE_NORMAL) still is a file; so are flagged ones.
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(IsFile(file));
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_TRUE(IsFile(file));
  EXPECT_FALSE(IsDirectory(file));
}

TEST(FileSystem, FindFilesSearchesSubfoldersOnlyDownToTheDepth) {
  TestFolder temp;
  temp.MakeFolder(L"a\\b");
  std::wstring inA = temp.MakeFile(L"a\\one.vxf");
  std::wstring inB = temp.MakeFile(L"a\\b\\two.vxf");
  temp.MakeFile(L"a\\b\\other.bin");

  EXPECT_TRUE(FindFiles(temp.Path(), L"*.vxf", 0).empty());
  EXPECT_EQ(FindFiles(temp.Path(), L"*.vxf", 1), Paths{inA});
  // A folder's own files come before those of its subfolders.
  EXPECT_EQ(FindFiles(temp.Path(), L"*.vxf", 2), (Paths{inA, inB}));
  EXPECT_EQ(FindFiles(temp.Path(), L"*.vxf", 9), (Paths{inA, inB}));
  EXPECT_EQ(FindFiles(temp.File(L"a"), L"*.vxf", 0), Paths{inA});
  EXPECT_TRUE(FindFiles(temp.Path(), L"*.vxf", -1).empty());
  // Folders never appear, even when their names match.
  temp.MakeFolder(L"folder.vxf");
  EXPECT_TRUE(FindFiles(temp.Path(), L"*.vxf", 0).empty());
}

TEST(FileSystem, FindFilesPatterns) {
  TestFolder temp;
  std::wstring first = temp.MakeFile(L"first.vxf");
  std::wstring second = temp.MakeFile(L"second.txt");
  temp.MakeFolder(L"sub");
  temp.MakeFile(L"sub\\inner.vxf");

  // An empty pattern lists every file (and no folder).
  EXPECT_EQ(Sorted(FindFiles(temp.Path(), L"", 0)), Sorted({first, second}));
  EXPECT_EQ(Sorted(FindFiles(temp.Path(), L"*", 0)), Sorted({first, second}));
  EXPECT_EQ(FindFiles(temp.Path(), L"second.txt", 0), Paths{second});
  EXPECT_TRUE(FindFiles(temp.Path(), L"*.bin", 0).empty());
  // A pattern naming a folder before the file name finds nothing, with either slash.
  EXPECT_TRUE(FindFiles(temp.Path(), L"sub\\*.vxf", 1).empty());
  EXPECT_TRUE(FindFiles(temp.Path(), L"sub/*.vxf", 1).empty());
  EXPECT_TRUE(FindFiles(temp.Path(), L"sub/inner.vxf", 0).empty());
  // A folder that does not exist, or a file given as the folder, lists nothing.
  EXPECT_TRUE(FindFiles(temp.File(L"missing"), L"*", 3).empty());
  EXPECT_TRUE(FindFiles(first, L"*", 3).empty());
}

TEST(FileSystem, FindFilesTakesRelativeFoldersFromTheProgramsFolder) {
  std::wstring self = FileNameOf(GetModulePath());
  EXPECT_EQ(FindFiles(L"", self, 0), Paths{GetModulePath()});
  EXPECT_EQ(FindFiles(L"..", L"*.none-such", 0), Paths{});
  Paths up = FindFiles(L"..\\" + FileNameOf(GetModuleDirectory()), self, 0);
  ASSERT_EQ(up.size(), 1u);
  EXPECT_EQ(up[0],
            GetModuleDirectory() + L"\\..\\" + FileNameOf(GetModuleDirectory()) + L"\\" + self);
}
