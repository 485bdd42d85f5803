// Folders that only the administrators and the system can change (see AdminOnlyFolder.h).
#include "platform/win/AdminOnlyFolder.h"

#include <windows.h>
#include <aclapi.h>

#include "platform/win/WinSecurity.h"

namespace {

// Enables taking ownership, and backing up and restoring files, for its lifetime, then puts
// back what was enabled before: an elevated administrator holds them, but they are off until
// asked for. With them a folder can be read and taken over whatever its access list says.
class CTakeOverPrivileges {
 public:
  CTakeOverPrivileges() {
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token_)) {
      token_ = nullptr;
      return;
    }
    Privileges wanted{};
    wanted.count = kCount;
    const wchar_t* names[kCount] = {SE_TAKE_OWNERSHIP_NAME, SE_BACKUP_NAME, SE_RESTORE_NAME};
    for (DWORD i = 0; i < kCount; ++i) {
      LookupPrivilegeValueW(nullptr, names[i], &wanted.privileges[i].Luid);
      wanted.privileges[i].Attributes = SE_PRIVILEGE_ENABLED;
    }
    DWORD size = 0;
    adjusted_ = AdjustTokenPrivileges(token_, FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&wanted),
                                      sizeof(previous_),
                                      reinterpret_cast<TOKEN_PRIVILEGES*>(&previous_), &size);
  }
  ~CTakeOverPrivileges() {
    if (adjusted_) {
      AdjustTokenPrivileges(token_, FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&previous_), 0,
                            nullptr, nullptr);
    }
    if (token_ != nullptr) {
      CloseHandle(token_);
    }
  }
  CTakeOverPrivileges(const CTakeOverPrivileges&) = delete;
  CTakeOverPrivileges& operator=(const CTakeOverPrivileges&) = delete;

 private:
  static constexpr DWORD kCount = 3;
  struct Privileges {  // TOKEN_PRIVILEGES with room for all three
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

// Sets the owner first: taking ownership is what the privilege grants, and the owner may
// then write the access list. Each handle is checked again for a link in its place.
bool TakeOver(const std::wstring& path, std::wstring* reason) {
  CTakeOverPrivileges privileges;
  CSecurityDescriptor wanted(AdministratorsOnlySecurity());
  if (!wanted.Valid()) {
    *reason = ErrorText(L"its new permissions could not be made", GetLastError());
    return false;
  }
  HANDLE folder = OpenFolder(path, WRITE_OWNER);
  DWORD error = folder == INVALID_HANDLE_VALUE
                    ? GetLastError()
                    : SetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION,
                                      wanted.Owner(), nullptr, nullptr, nullptr);
  if (folder != INVALID_HANDLE_VALUE) {
    CloseHandle(folder);
  }
  if (error == ERROR_SUCCESS) {
    folder = OpenFolder(path, WRITE_DAC);
    error = folder == INVALID_HANDLE_VALUE
                ? GetLastError()
                : SetSecurityInfo(folder, SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, wanted.AccessList(), nullptr);
    if (folder != INVALID_HANDLE_VALUE) {
      CloseHandle(folder);
    }
  }
  if (error != ERROR_SUCCESS) {
    *reason = ErrorText(L"could not be made the administrators' own", error);
    return false;
  }
  return true;
}

}  // namespace

FolderCheck ProtectFolder(const std::wstring& path, std::wstring* reason) {
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
  // One that this run may not even read is taken over like any other that is not safe.
  const std::wstring problem =
      read ? WidenAscii(FolderSecurityProblem(security)) : ErrorText(L"cannot be checked", error);
  std::wstring failure;
  if (!problem.empty() && !TakeOver(path, &failure)) {
    *reason = named + problem + L" and " + failure;
    return FolderCheck::kRefused;
  }
  return FolderCheck::kProtected;
}

bool MakeProtectedFolder(const std::wstring& path, std::wstring* reason) {
  CSecurityDescriptor wanted(AdministratorsOnlySecurity());
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), nullptr, FALSE};
  attributes.lpSecurityDescriptor = wanted.Valid() ? wanted.Descriptor() : nullptr;
  if (!CreateDirectoryW(path.c_str(), &attributes) && GetLastError() != ERROR_ALREADY_EXISTS) {
    *reason = path + L" " + ErrorText(L"cannot be made", GetLastError());
    return false;
  }
  // Whoever made it, it is checked like any other.
  switch (ProtectFolder(path, reason)) {
    case FolderCheck::kProtected:
      return true;
    case FolderCheck::kAbsent:
      *reason = path + L" was removed as it was made";
      return false;
    case FolderCheck::kRefused:
      break;
  }
  return false;
}
