// Folders that only the administrators and the system can change (see AdminOnlyFolder.h).
#include "platform/win/AdminOnlyFolder.h"

#include <windows.h>
#include <aclapi.h>

#include <cstring>
#include <vector>

#include "platform/win/WinSecurity.h"

namespace {

// Enables backing up and restoring files for its lifetime, then puts back what was enabled
// before: an elevated administrator holds them, but they are off until asked for. With them
// a folder opened with backup semantics can be renamed whatever its access list says.
class CBackupPrivileges {
 public:
  CBackupPrivileges() {
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token_)) {
      token_ = nullptr;
      return;
    }
    Privileges wanted{};
    wanted.count = kCount;
    const wchar_t* names[kCount] = {SE_BACKUP_NAME, SE_RESTORE_NAME};
    for (DWORD i = 0; i < kCount; ++i) {
      LookupPrivilegeValueW(nullptr, names[i], &wanted.privileges[i].Luid);
      wanted.privileges[i].Attributes = SE_PRIVILEGE_ENABLED;
    }
    DWORD size = 0;
    adjusted_ = AdjustTokenPrivileges(token_, FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&wanted),
                                      sizeof(previous_),
                                      reinterpret_cast<TOKEN_PRIVILEGES*>(&previous_), &size);
  }
  ~CBackupPrivileges() {
    if (adjusted_) {
      AdjustTokenPrivileges(token_, FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&previous_), 0,
                            nullptr, nullptr);
    }
    if (token_ != nullptr) {
      CloseHandle(token_);
    }
  }
  CBackupPrivileges(const CBackupPrivileges&) = delete;
  CBackupPrivileges& operator=(const CBackupPrivileges&) = delete;

 private:
  static constexpr DWORD kCount = 2;
  struct Privileges {  // TOKEN_PRIVILEGES with room for both
    DWORD count;
    LUID_AND_ATTRIBUTES privileges[kCount];
  };
  HANDLE token_ = nullptr;
  Privileges previous_{};
  bool adjusted_ = false;
};

// The folder itself, never what a link or mount point in its place leads to. Reading its
// attributes, which tells a link, needs FILE_READ_ATTRIBUTES on Windows.
HANDLE OpenFolder(const std::wstring& path, DWORD access) {
  HANDLE folder =
      CreateFileW(path.c_str(), access | READ_CONTROL | FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (folder != INVALID_HANDLE_VALUE && IsReparsePoint(folder)) {
    CloseHandle(folder);
    SetLastError(ERROR_REPARSE_ATTRIBUTE_CONFLICT);
    return INVALID_HANDLE_VALUE;
  }
  return folder;
}

std::wstring ErrorText(const wchar_t* what, DWORD error) {
  return std::wstring(what) + L" (" + WinErrorText(error) + L")";
}

}  // namespace

FolderCheck CheckFolder(const std::wstring& path, std::wstring* reason) {
  const std::wstring named = path + L" ";
  // The attributes show a link even where the open handle might not.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return FolderCheck::kAbsent;
    }
    *reason = named + ErrorText(L"cannot be read", error);
    return FolderCheck::kRefused;
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    *reason = named + L"is a link or not a folder, so it is not used";
    return FolderCheck::kRefused;
  }
  HANDLE folder = OpenFolder(path, 0);
  FolderSecurity security;
  const bool read = folder != INVALID_HANDLE_VALUE && ReadSecurity(folder, &security);
  const DWORD error = read ? ERROR_SUCCESS : GetLastError();
  if (folder != INVALID_HANDLE_VALUE) {
    CloseHandle(folder);
  }
  if (error == ERROR_REPARSE_ATTRIBUTE_CONFLICT) {
    *reason = named + L"is a link, so it is not used";
    return FolderCheck::kRefused;
  }
  // One that this run may not even read is as unsafe as any other.
  const std::wstring problem =
      read ? WidenAscii(FolderSecurityProblem(security, AccountWhenOwnersAreNotKept()))
           : ErrorText(L"cannot be checked", error);
  if (!problem.empty()) {
    *reason = named + problem;
    return FolderCheck::kUnsafe;
  }
  return FolderCheck::kProtected;
}

bool SetFolderAside(const std::wstring& path, const std::wstring& asideName, std::wstring* reason) {
  CBackupPrivileges privileges;
  // Backup semantics with the restore privilege grant the right to rename whatever the
  // folder's access list says; the handle is the folder itself, never a link's target.
  HANDLE folder =
      CreateFileW(path.c_str(), DELETE | SYNCHRONIZE | FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (folder == INVALID_HANDLE_VALUE) {
    *reason = ErrorText(L"it cannot be opened", GetLastError());
    return false;
  }
  if (IsReparsePoint(folder)) {
    CloseHandle(folder);
    *reason = L"it is a link";
    return false;
  }
  // FILE_RENAME_INFO ends in the new name, which the structure's size does not count. The
  // name is the full path in the kernel's form: a bare name would be taken relative to the
  // current folder by some implementations (Wine's) rather than to the folder's parent.
  const size_t slash = path.rfind(L'\\');
  std::wstring parent = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
  if (parent.rfind(L"\\\\?\\", 0) == 0) {
    parent.erase(0, 4);  // "\\?\" is the same prefix in the Win32 form
  }
  const std::wstring target = L"\\??\\" + parent + asideName;
  std::vector<unsigned char> block(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
  rename->ReplaceIfExists = FALSE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  memcpy(rename->FileName, target.c_str(), target.size() * sizeof(wchar_t));
  const BOOL renamed =
      SetFileInformationByHandle(folder, FileRenameInfo, rename, static_cast<DWORD>(block.size()));
  const DWORD error = renamed ? ERROR_SUCCESS : GetLastError();
  CloseHandle(folder);
  if (!renamed) {
    *reason = ErrorText(L"it cannot be renamed", error);
    return false;
  }
  return true;
}

bool MakeProtectedFolder(const std::wstring& path, std::wstring* reason) {
  CSecurityDescriptor wanted(AdministratorsOnlySecurity());
  if (!wanted.Valid()) {
    *reason = path + L" " + ErrorText(L"cannot be given its permissions", GetLastError());
    return false;
  }
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), wanted.Descriptor(), FALSE};
  if (!CreateDirectoryW(path.c_str(), &attributes) && GetLastError() != ERROR_ALREADY_EXISTS) {
    *reason = path + L" " + ErrorText(L"cannot be made", GetLastError());
    return false;
  }
  // Whoever made it, it is checked like any other.
  switch (CheckFolder(path, reason)) {
    case FolderCheck::kProtected:
      return true;
    case FolderCheck::kAbsent:
      *reason = path + L" was removed as it was made";
      return false;
    case FolderCheck::kUnsafe:
      *reason += L", so it is not used";
      return false;
    case FolderCheck::kRefused:
      break;
  }
  return false;
}
