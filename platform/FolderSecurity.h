// Who may change the folders that keep the saved backups on Windows, as plain data: the
// owner and the access list of a folder, the rule that only administrators and the system
// may change it, and the security the folders are given. Kept apart from the Win32 calls so
// that the rule is proven on any machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Well-known accounts, as security identifiers in text.
inline constexpr char kAdministratorsSid[] = "S-1-5-32-544";
inline constexpr char kSystemSid[] = "S-1-5-18";
inline constexpr char kUsersSid[] = "S-1-5-32-545";

// One entry of an access list.
struct AccessEntry {
  enum class Kind { kAllow, kDeny, kOther };
  Kind kind = Kind::kAllow;
  std::string sid;    // "" for an entry whose kind names no account we read
  uint32_t mask = 0;  // the rights it allows or denies
  uint8_t flags = 0;  // how it is inherited by what is made inside
};

struct FolderSecurity {
  std::string owner;             // "" when it has none
  bool hasAccessList = true;     // false: no list at all, which lets everyone do anything
  bool inheritsEntries = false;  // takes entries from the folder above
  std::vector<AccessEntry> entries;
};

// Rights that change a folder or what is in it (data, names, attributes, permissions, owner).
inline constexpr uint32_t kChangingRights =
    0x00000002 | 0x00000004 | 0x00000010 | 0x00000040 | 0x00000100  // files, folders, EAs
    | 0x00010000 | 0x00040000 | 0x00080000                          // delete, DACL, owner
    | 0x01000000 | 0x02000000 | 0x10000000 | 0x40000000;            // SACL, maximum, generic

// The security the folders are given: owned by the administrators; administrators and the
// system may do anything, users may read; nothing taken from the folder above. Every entry
// is passed on to files and folders made inside.
FolderSecurity AdministratorsOnlySecurity();

// "" when only the administrators and the system can change the folder or anything made in
// it; otherwise what stands in the way, in a few words ("owned by S-1-5-21-...",
// "lets S-1-1-0 make changes"). With `unkeptOwner` (see FileSecurityProblem), a folder that
// reads as owned by that account is judged by its access entries alone, since the file
// system keeps neither owners nor protection from the folder above.
std::string FolderSecurityProblem(const FolderSecurity& security,
                                  const std::string& unkeptOwner = "");
// "" when a file in such a folder can be trusted: it belongs to the administrators or the
// system, and no one else may change it. A file left there by another account before the
// folder was made safe is not; nor is one owned by the account this run is elevated as,
// whose programs that run without elevation could have planted it. This program's own
// files are made with the administrators as their owner. Where the file system keeps no
// owners (Wine reads every file as the running account's, whoever made it, and gives it no
// other), pass that account as `unkeptOwner`: a file that reads as its own is then judged by
// its access list alone. Empty on Windows.
std::string FileSecurityProblem(const FolderSecurity& security,
                                const std::string& unkeptOwner = "");
