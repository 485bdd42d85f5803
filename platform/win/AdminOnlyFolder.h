// Folders that only the administrators and the system can change. The saved backups are
// written to the controller by an elevated run, so a folder that another account owns or
// may write to would let that account plant a backup or remove the real ones. A folder that
// is not safe is taken over (owner and access list set) when this run may; a link or mount
// point is never followed.
#pragma once

#include <string>

#include "platform/FolderSecurity.h"

enum class FolderCheck {
  kAbsent,     // it does not exist (yet)
  kProtected,  // it exists and only administrators and the system can change it
  kRefused,    // it must not be used; the reason says why
};

// Checks the folder `path`; when it is not safe, takes it over with
// AdministratorsOnlySecurity(). On kRefused, `reason` says what stands in the way.
FolderCheck ProtectFolder(const std::wstring& path, std::wstring* reason);
// Makes the folder `path` with that security when it is missing, then checks it as above.
// False, with the reason, when it cannot be made or is refused.
bool MakeProtectedFolder(const std::wstring& path, std::wstring* reason);
