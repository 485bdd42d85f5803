// The backup folder on Windows (see WinBackupFolder.h).
#include "platform/win/WinBackupFolder.h"

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

namespace {

// A backup is a few kilobytes; anything much larger is no backup of ours.
constexpr LONGLONG kLargestFile = 64 * 1024;

// Administrators and the system may do anything, users may read; not inherited from
// ProgramData, whose default lets every user create files in new folders.
constexpr wchar_t kFolderSecurity[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)";

// Our names are ASCII; any other is not one of ours and is left out.
bool Narrow(const wchar_t* wide, std::string* out) {
  out->clear();
  for (; *wide != L'\0'; ++wide) {
    if (*wide > 0x7E || *wide < 0x20) {
      return false;
    }
    out->push_back(static_cast<char>(*wide));
  }
  return true;
}

bool CreateFolder(const std::wstring& path, bool restricted) {
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), nullptr, FALSE};
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (restricted && ConvertStringSecurityDescriptorToSecurityDescriptorW(
                        kFolderSecurity, SDDL_REVISION_1, &descriptor, nullptr)) {
    attributes.lpSecurityDescriptor = descriptor;
  }
  const bool made = CreateDirectoryW(path.c_str(), &attributes) != FALSE ||
                    GetLastError() == ERROR_ALREADY_EXISTS;
  if (descriptor != nullptr) {
    LocalFree(descriptor);
  }
  return made;
}

bool WriteAll(HANDLE file, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(text.size() - done);
    if (!WriteFile(file, text.data() + done, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

}  // namespace

std::wstring CWinBackupFolder::DefaultPath() {
  PWSTR programData = nullptr;
  std::wstring path;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &programData))) {
    path = std::wstring(programData) + L"\\Padwright\\backups";
  }
  CoTaskMemFree(programData);
  return path;
}

std::wstring CWinBackupFolder::PathOf(const std::string& name) const {
  return path_ + L"\\" + std::wstring(name.begin(), name.end());
}

bool CWinBackupFolder::MakeFolders() {
  const size_t last = path_.rfind(L'\\');
  // The Padwright folder carries the security; backups inherits it.
  return last != std::wstring::npos && CreateFolder(path_.substr(0, last), true) &&
         CreateFolder(path_, false);
}

bool CWinBackupFolder::List(std::vector<std::string>* names) {
  names->clear();
  if (path_.empty()) {
    return false;
  }
  WIN32_FIND_DATAW entry{};
  HANDLE find = FindFirstFileW((path_ + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  do {
    std::string name;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        Narrow(entry.cFileName, &name)) {
      names->push_back(name);
    }
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return true;
}

bool CWinBackupFolder::Read(const std::string& name, std::string* text) {
  HANDLE file = CreateFileW(PathOf(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  LARGE_INTEGER size{};
  std::string bytes;
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= kLargestFile;
  if (ok) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ok = bytes.empty() ||
         (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
          read == bytes.size());
  }
  CloseHandle(file);
  if (ok) {
    *text = std::move(bytes);
  }
  return ok;
}

bool CWinBackupFolder::Write(const std::string& name, const std::string& text) {
  if (path_.empty() || !MakeFolders()) {
    return false;
  }
  const std::wstring path = PathOf(name);
  const std::wstring temporary = path + L".tmp";
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  bool ok = WriteAll(file, text) && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  ok = ok && MoveFileExW(temporary.c_str(), path.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) {
    DeleteFileW(temporary.c_str());
  }
  return ok;
}

bool CWinBackupFolder::Remove(const std::string& name) {
  return DeleteFileW(PathOf(name).c_str()) != FALSE;
}
