// The Windows backup folder's security: owners and access lists read and made through the
// real Win32 calls, and a link in the place of the backups folder, which is never followed.
// (Wine keeps no owners or access lists on its files, so what it reads back from a folder is
// made up from the Unix file modes; the rule itself is proven natively on plain data.)
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "platform/win/AdminOnlyFolder.h"
#include "platform/win/WinBackupFolder.h"
#include "platform/win/WindowsClock.h"
#include "platform/win/WinSecurity.h"
#include "tests/support/UserController.h"
#include "tests/win/support/TestFolder.h"
#include "workflows/backups/BackupStore.h"

namespace {

// Where with-planted-link.sh puts a link to a folder outside, in the place of the backups.
constexpr wchar_t kLinkedBackups[] = L"C:\\padwright-link-test\\Padwright\\backups";

FolderSecurity FromText(const char* text) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  FolderSecurity security;
  EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(text, SDDL_REVISION_1,
                                                                   &descriptor, nullptr));
  EXPECT_TRUE(DescribeSecurity(descriptor, &security));
  LocalFree(descriptor);
  return security;
}

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

bool IsLink(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

TEST(WinBackupFolderSecurity, ReadsAndMakesTheAdministratorsOnlySecurity) {
  // What the folders are given reads back as it was meant, and passes the rule.
  const FolderSecurity meant = AdministratorsOnlySecurity();
  CSecurityDescriptor made(meant);
  ASSERT_TRUE(made.Valid());
  FolderSecurity read;
  ASSERT_TRUE(DescribeSecurity(made.Descriptor(), &read));
  EXPECT_EQ(read.owner, meant.owner);
  EXPECT_FALSE(read.inheritsEntries);
  ASSERT_EQ(read.entries.size(), meant.entries.size());
  for (size_t i = 0; i < meant.entries.size(); ++i) {
    EXPECT_EQ(read.entries[i].sid, meant.entries[i].sid);
    EXPECT_EQ(read.entries[i].mask, meant.entries[i].mask);
    EXPECT_EQ(read.entries[i].flags, meant.entries[i].flags);
  }
  EXPECT_EQ(FolderSecurityProblem(read), "");
  EXPECT_EQ(FromText("O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)").entries.size(),
            3u);
  EXPECT_EQ(
      FolderSecurityProblem(FromText("O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)")),
      "");

  // A folder made beforehand by another user, or one that lets everyone write.
  EXPECT_EQ(FolderSecurityProblem(FromText("O:S-1-5-21-1-2-3-1001D:P(A;OICI;FA;;;BA)")),
            "is owned by S-1-5-21-1-2-3-1001");
  EXPECT_EQ(FolderSecurityProblem(FromText("O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;WD)")),
            "lets S-1-1-0 make changes");
  EXPECT_EQ(FolderSecurityProblem(FromText("O:BAD:(A;OICI;FA;;;BA)")),
            "takes its permissions from the folder above");
}

// A Padwright folder that others may change (Wine turns an access list that lets everyone
// write into the file mode that it reads back so) is renamed aside, its files not read, and
// a new protected one is made; the notice is given once.
TEST(WinBackupFolderSecurity, AnUnsafeFolderIsSetAsideUnreadAndANewOneMade) {
  TestFolder root(L"aside");
  const std::wstring parent = root.File(L"Padwright");
  const std::wstring backups = parent + L"\\backups";
  WindowsClock clock;
  CWinBackupFolder first(backups, clock);
  ASSERT_TRUE(first.Write("backup-1.txt", "planted?"));
  EXPECT_EQ(first.TakeNotice(), L"");
  std::wstring reason;
  ASSERT_EQ(CheckFolder(parent, &reason), FolderCheck::kProtected) << Narrow(reason);

  ASSERT_TRUE(LetEveryoneWrite(parent));
  ASSERT_EQ(CheckFolder(parent, &reason), FolderCheck::kUnsafe);

  CWinBackupFolder second(backups, clock);
  ASSERT_TRUE(second.Secure());
  const std::wstring notice = second.TakeNotice();
  EXPECT_EQ(notice.rfind(L"Set aside " + parent + L" as Padwright.untrusted-", 0), 0u)
      << Narrow(notice);
  EXPECT_NE(notice.find(L"its files are not read"), std::wstring::npos);
  EXPECT_EQ(second.TakeNotice(), L"");  // said once
  EXPECT_EQ(GetFileAttributesW(parent.c_str()), INVALID_FILE_ATTRIBUTES);
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW(root.File(L"Padwright.untrusted-*").c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  FindClose(find);
  EXPECT_TRUE(root.Exists(std::wstring(found.cFileName) + L"\\backups\\backup-1.txt"));
  std::vector<std::string> names;
  EXPECT_TRUE(second.List(&names));
  EXPECT_TRUE(names.empty());

  ASSERT_TRUE(second.Write("backup-2.txt", "ours"));
  EXPECT_EQ(CheckFolder(parent, &reason), FolderCheck::kProtected) << Narrow(reason);
  std::string text;
  EXPECT_TRUE(second.Read("backup-2.txt", &text));
  EXPECT_EQ(text, "ours");
}

TEST(WinBackupFolderSecurity, ALinkInThePlaceOfTheBackupsFolderIsNeverFollowed) {
  if (!IsLink(kLinkedBackups)) {
    GTEST_SKIP() << "no link planted at the backups folder (with-planted-link.sh plants one)";
  }
  // A sound backup where the link leads.
  SavedBackup backup;
  backup.sequence = 1;
  backup.global = UserGlobal(3);
  backup.state = BackupState::kPending;
  const std::string text = FormatBackup(backup);
  const std::wstring planted =
      std::wstring(kLinkedBackups) + L"\\" + std::wstring(L"backup-2026-12-07T17-53-16.123Z.txt");
  HANDLE file = CreateFileW(planted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);

  WindowsClock clock;
  CWinBackupFolder folder(kLinkedBackups, clock);
  EXPECT_FALSE(folder.Secure());
  EXPECT_NE(folder.FailureText().find(L"is a link"), std::wstring::npos)
      << testing::PrintToString(folder.FailureText());
  std::vector<BackupEntry> entries;
  EXPECT_FALSE(ListBackups(&folder, &entries));
  std::string name;
  EXPECT_FALSE(SaveBackup(&folder, backup, &name));
  // Nothing was written where the link leads.
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((std::wstring(kLinkedBackups) + L"\\*.tmp").c_str(), &found);
  EXPECT_EQ(find, INVALID_HANDLE_VALUE);
  if (find != INVALID_HANDLE_VALUE) {
    FindClose(find);
  }
  DeleteFileW(planted.c_str());
}
