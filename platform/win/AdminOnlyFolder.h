// Folders that only the administrators and the system can change. The saved backups are
// written to the controller by an elevated run, so a folder that another account owns or
// may write to would let that account plant a backup or remove the real ones. A folder that
// is not safe is never repaired in place, since handles opened on it earlier keep their
// rights: it is set aside (renamed, never read) and a new one made. A link or mount point is
// never followed.
#pragma once

#include <string>

#include "platform/FolderSecurity.h"

enum class FolderCheck {
  kAbsent,     // it does not exist (yet)
  kProtected,  // it exists and only administrators and the system can change it
  kUnsafe,     // it exists, but another account made it or may change it: set it aside
  kRefused,    // it must not be used at all (a link, unreadable attributes)
};

// Checks the folder `path`. On kUnsafe and kRefused, `reason` says what stands in the way.
FolderCheck CheckFolder(const std::wstring& path, std::wstring* reason);
// Renames the folder `path` to `asideName` in the same parent folder, whatever its access
// list lets this run do (the backup and restore privileges of an elevated administrator).
// False, with the reason, when it cannot be renamed or is a link.
bool SetFolderAside(const std::wstring& path, const std::wstring& asideName, std::wstring* reason);
// Makes the folder `path` with AdministratorsOnlySecurity() when it is missing; one that
// exists already must be protected. False, with the reason, when it cannot be made or is
// not safe.
bool MakeProtectedFolder(const std::wstring& path, std::wstring* reason);
