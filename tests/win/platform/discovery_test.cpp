// Start-up discovery as the program itself sees it: a probe copied into a folder lists the
// "*.vxf" files beside it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win/FileSystem.h"
#include "tests/win/platform/TempFolder.h"

namespace {

struct Discovery {
  int exitCode = -100;
  std::vector<std::wstring> paths;
};

// Copies the probe into `folder`, runs it there and collects what it found.
Discovery RunProbeIn(const TempFolder& folder, const TempFolder& results) {
  Discovery discovery;
  std::wstring probe = folder / L"padwright_probe.exe";
  std::wstring listing = results / L"listing.txt";
  if (!CopyFileW((GetModuleDirectory() + L"\\platform_discovery_probe.exe").c_str(), probe.c_str(),
                 FALSE)) {
    return discovery;
  }
  std::wstring command = L"\"" + probe + L"\" \"" + listing + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(probe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      results.Path().c_str(), &startup, &process)) {
    return discovery;
  }
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  discovery.exitCode = static_cast<int>(code);

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
  TempFolder folder;
  TempFolder results;
  std::wstring firmware = folder.MakeFile(L"controller.vxf", {1, 2, 3});
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
    TempFolder folder;
    TempFolder results;
    folder.MakeFile(L"a.vxf");
    folder.MakeFile(L"b.vxf");
    EXPECT_EQ(RunProbeIn(folder, results).exitCode, 2);
  }
  {
    TempFolder folder;
    TempFolder results;
    folder.MakeFile(L"a.vxf.bak");
    folder.MakeFolder(L"sub");
    folder.MakeFile(L"sub\\only.vxf");
    Discovery discovery = RunProbeIn(folder, results);
    EXPECT_EQ(discovery.exitCode, 0);
    EXPECT_TRUE(discovery.paths.empty());
  }
}
