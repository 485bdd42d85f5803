// The rule for the backup folders' security (see FolderSecurity.h).
#include "platform/FolderSecurity.h"

namespace {

constexpr uint32_t kFullAccess = 0x001F01FF;  // every right on a file or folder
constexpr uint32_t kReadAccess = 0x001200A9;  // read, list, traverse, read attributes
constexpr uint8_t kPassedOn = 0x01 | 0x02;    // to files and to folders made inside

bool IsAdministrator(const std::string& sid) {
  return sid == kAdministratorsSid || sid == kSystemSid;
}

// What the first entry that lets an account other than the administrators, the system and
// `alsoTrusted` make changes says; "" when there is none.
std::string ChangesAllowedToOthers(const FolderSecurity& security, const std::string& alsoTrusted) {
  // An entry passed on only to what is made inside counts too: it would let others change
  // the backups themselves.
  for (const AccessEntry& entry : security.entries) {
    if (entry.kind == AccessEntry::Kind::kDeny || (entry.mask & kChangingRights) == 0) {
      continue;
    }
    if (entry.kind == AccessEntry::Kind::kOther) {
      return "has an access entry of a kind this program does not check";
    }
    if (!IsAdministrator(entry.sid) && (alsoTrusted.empty() || entry.sid != alsoTrusted)) {
      return "lets " + entry.sid + " make changes";
    }
  }
  return "";
}

// The owner's part of the rule, for folders and files alike.
std::string OwnerProblem(const FolderSecurity& security) {
  if (IsAdministrator(security.owner)) {
    return "";
  }
  return security.owner.empty() ? "has no owner" : "is owned by " + security.owner;
}

}  // namespace

FolderSecurity AdministratorsOnlySecurity() {
  FolderSecurity security;
  security.owner = kAdministratorsSid;
  security.entries = {
      {AccessEntry::Kind::kAllow, kSystemSid, kFullAccess, kPassedOn},
      {AccessEntry::Kind::kAllow, kAdministratorsSid, kFullAccess, kPassedOn},
      {AccessEntry::Kind::kAllow, kUsersSid, kReadAccess, kPassedOn},
  };
  return security;
}

std::string FolderSecurityProblem(const FolderSecurity& security, const std::string& unkeptOwner) {
  const bool unkept = !unkeptOwner.empty() && security.owner == unkeptOwner;
  if (std::string owner = OwnerProblem(security); !owner.empty() && !unkept) {
    return owner;
  }
  if (!security.hasAccessList) {
    return "has no access list, so everyone may change it";
  }
  if (security.inheritsEntries && !unkept) {
    return "takes its permissions from the folder above";
  }
  return ChangesAllowedToOthers(security, unkept ? unkeptOwner : "");
}

std::string FileSecurityProblem(const FolderSecurity& security, const std::string& unkeptOwner) {
  const bool unkept = !unkeptOwner.empty() && security.owner == unkeptOwner;
  if (std::string owner = OwnerProblem(security); !owner.empty() && !unkept) {
    return owner;
  }
  if (!security.hasAccessList) {
    return "has no access list, so everyone may change it";
  }
  return ChangesAllowedToOthers(security, unkept ? unkeptOwner : "");
}
