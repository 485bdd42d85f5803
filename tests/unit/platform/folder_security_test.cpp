// The rule for the Windows backup folders' security, on plain data: only the administrators
// and the system may change the folders or what is made in them, and the security the
// folders are given keeps to it.
#include <gtest/gtest.h>

#include <string>

#include "platform/FolderSecurity.h"

namespace {

constexpr char kEveryone[] = "S-1-1-0";
constexpr char kSomeUser[] = "S-1-5-21-1-2-3-1001";
constexpr uint32_t kFull = 0x001F01FF;

FolderSecurity With(AccessEntry entry) {
  FolderSecurity security = AdministratorsOnlySecurity();
  security.entries.push_back(entry);
  return security;
}

}  // namespace

TEST(FolderSecurity, OnlyAdministratorsAndTheSystemMayChangeTheBackupFolders) {
  const FolderSecurity given = AdministratorsOnlySecurity();
  EXPECT_EQ(FolderSecurityProblem(given), "");
  EXPECT_EQ(given.owner, kAdministratorsSid);
  EXPECT_FALSE(given.inheritsEntries);
  for (const AccessEntry& entry : given.entries) {
    EXPECT_EQ(entry.flags & 0x03, 0x03) << entry.sid;  // passed on to files and folders
    if (entry.sid == kUsersSid) {
      EXPECT_EQ(entry.mask & kChangingRights, 0u);  // users read, and only read
    }
  }

  FolderSecurity planted = given;
  planted.owner = kSomeUser;
  EXPECT_EQ(FolderSecurityProblem(planted), std::string("is owned by ") + kSomeUser);
  FolderSecurity inheriting = given;
  inheriting.inheritsEntries = true;
  EXPECT_EQ(FolderSecurityProblem(inheriting), "takes its permissions from the folder above");
  FolderSecurity open = given;
  open.hasAccessList = false;
  EXPECT_NE(FolderSecurityProblem(open), "");
  EXPECT_EQ(FolderSecurityProblem(With({AccessEntry::Kind::kAllow, kEveryone, 0x2, 0})),
            std::string("lets ") + kEveryone + " make changes");
  // Passed on only to the backups made inside, it would let them be changed all the same.
  EXPECT_NE(FolderSecurityProblem(With({AccessEntry::Kind::kAllow, kSomeUser, kFull, 0x09})), "");
  EXPECT_NE(FolderSecurityProblem(With({AccessEntry::Kind::kOther, "", kFull, 0})), "");
  EXPECT_EQ(FolderSecurityProblem(With({AccessEntry::Kind::kDeny, kEveryone, kFull, 0})), "");
  EXPECT_EQ(FolderSecurityProblem(With({AccessEntry::Kind::kAllow, kEveryone, 0x1200A9, 0})), "");

  // Where owners are not kept (Wine), a folder that reads as that account's, with entries
  // from the folder above, is judged by its entries alone.
  FolderSecurity unkept = inheriting;
  unkept.owner = kSomeUser;
  unkept.entries.push_back({AccessEntry::Kind::kAllow, kSomeUser, kFull, 0x03});
  EXPECT_EQ(FolderSecurityProblem(unkept, kSomeUser), "");
  EXPECT_NE(FolderSecurityProblem(unkept), "");
  unkept.entries.push_back({AccessEntry::Kind::kAllow, kEveryone, kFull, 0x03});
  EXPECT_EQ(FolderSecurityProblem(unkept, kSomeUser),
            std::string("lets ") + kEveryone + " make changes");
}

TEST(FolderSecurity, AFileIsTrustedOnlyWhenOwnedByTheAdministratorsOrTheSystem) {
  FolderSecurity file = AdministratorsOnlySecurity();
  file.inheritsEntries = true;  // a file takes its folder's entries
  EXPECT_EQ(FileSecurityProblem(file), "");
  file.owner = kSystemSid;
  EXPECT_EQ(FileSecurityProblem(file), "");
  // The account this run is elevated as is no exception: its unelevated programs write so.
  file.owner = kSomeUser;
  EXPECT_EQ(FileSecurityProblem(file), std::string("is owned by ") + kSomeUser);
  file.owner = "";
  EXPECT_EQ(FileSecurityProblem(file), "has no owner");
  // Where owners are not kept (Wine), the account that every file reads as is judged by the
  // access list alone; no other account is.
  file.owner = kSomeUser;
  file.entries.push_back({AccessEntry::Kind::kAllow, kSomeUser, kFull, 0});
  EXPECT_EQ(FileSecurityProblem(file, kSomeUser), "");
  EXPECT_NE(FileSecurityProblem(file, "S-1-5-21-1-2-3-1002"), "");
  file.entries.push_back({AccessEntry::Kind::kAllow, kEveryone, kFull, 0});
  EXPECT_EQ(FileSecurityProblem(file, kSomeUser),
            std::string("lets ") + kEveryone + " make changes");
  file.entries.pop_back();
  file.entries.pop_back();
  file.owner = kAdministratorsSid;
  file.entries.push_back({AccessEntry::Kind::kAllow, kSomeUser, kFull, 0});
  EXPECT_EQ(FileSecurityProblem(file), std::string("lets ") + kSomeUser + " make changes");
}
