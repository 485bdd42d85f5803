// Start-up discovery as the program itself sees it: a probe copied into a folder lists the
// "*.vxf" files beside it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win/FileSystem.h"
#include "tests/win/support/ChildProcess.h"
#include "tests/win/support/TestFolder.h"

namespace {

struct Discovery {
  int exitCode = -100;
  std::vector<std::wstring> paths;
};

// Copies the probe into `folder`, runs it there and collects what it found.
Discovery RunProbeIn(const TestFolder& folder, const TestFolder& results) {
  Discovery discovery;
  std::wstring probe = folder.File(L"padwright_probe.exe");
  std::wstring listing = results.File(L"listing.txt");
  if (!CopyFileW((GetModuleDirectory() + L"\\platform_discovery_probe.exe").c_str(), probe.c_str(),
                 FALSE)) {
    return discovery;
  }
  discovery.exitCode = RunAndWait(probe, L"\"" + listing + L"\"", results.Path(), 60000);

  HANDLE in = CreateFileW(listing.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                          nullptr);
  if (in != INVALID_HANDLE_VALUE) {
    std::wstring text(GetFileSize(in, nullptr) / sizeof(wchar_t), L'\0');
    DWORD read = 0;
    ReadFile(in, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &read, nullptr);
    CloseHandle(in);
    for (size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos;
         start = end + 1) {
      discovery.paths.push_back(text.substr(start, end - start));
    }
  }
  return discovery;
}

}  // namespace

TEST(Discovery, OneFirmwareFileBesideTheProgramIsFoundAlone) {
  TestFolder folder;
  TestFolder results;
  std::wstring firmware = folder.MakeFile(L"controller.VXF", {1, 2, 3});
  // Its short name ends in ".VXF", which the wildcard matches: still no firmware file.
  folder.MakeFile(L"fw.vxf2");
  folder.MakeFolder(L"old");
  folder.MakeFile(L"old\\previous.vxf");
  folder.MakeFolder(L"more");
  folder.MakeFile(L"notes.txt");
  Discovery discovery = RunProbeIn(folder, results);
  EXPECT_EQ(discovery.exitCode, 1);
  EXPECT_EQ(discovery.paths, std::vector<std::wstring>{firmware});
}

TEST(Discovery, TwoOrNoFirmwareFilesBesideTheProgram) {
  {
    TestFolder folder;
    TestFolder results;
    folder.MakeFile(L"a.vxf");
    folder.MakeFile(L"b.vxf");
    EXPECT_EQ(RunProbeIn(folder, results).exitCode, 2);
  }
  {
    TestFolder folder;
    TestFolder results;
    folder.MakeFile(L"a.vxf.bak");
    folder.MakeFolder(L"sub");
    folder.MakeFile(L"sub\\only.vxf");
    Discovery discovery = RunProbeIn(folder, results);
    EXPECT_EQ(discovery.exitCode, 0);
    EXPECT_TRUE(discovery.paths.empty());
  }
}
