// The backup folder on Windows (see WinBackupFolder.h).
#include "platform/win/WinBackupFolder.h"

#include <windows.h>
#include <shlobj.h>

#include <utility>

#include "platform/Clock.h"
#include "platform/TimeText.h"
#include "platform/win/AdminOnlyFolder.h"
#include "platform/win/WinSecurity.h"

namespace {

// A backup is a few kilobytes; anything much larger is no backup of ours.
constexpr size_t kLargestFile = 64 * 1024;

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

bool ReadAll(HANDLE file, std::string* text, size_t largest) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart > static_cast<LONGLONG>(largest)) {
    return false;
  }
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
       read != bytes.size())) {
    return false;
  }
  *text = std::move(bytes);
  return true;
}

// Another program (a virus scanner, the indexer, this tool's own refresh) may have the file
// open for a moment; Windows refuses to replace it meanwhile, so the rename is tried again
// for up to two seconds before the write counts as failed.
bool MoveIntoPlace(const std::wstring& from, const std::wstring& to, Clock& clock) {
  constexpr int kTries = 40;
  constexpr uint32_t kPauseMs = 50;
  for (int attempt = 1;; ++attempt) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    const DWORD error = GetLastError();
    if (attempt == kTries || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION &&
                              error != ERROR_LOCK_VIOLATION)) {
      SetLastError(error);
      return false;
    }
    clock.SleepMs(kPauseMs);
  }
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

std::wstring CWinBackupFolder::ParentPath() const {
  const size_t last = path_.rfind(L'\\');
  return last == std::wstring::npos ? std::wstring() : path_.substr(0, last);
}

bool CWinBackupFolder::Fail(const std::wstring& reason) {
  std::lock_guard<std::mutex> lock(errorMutex_);
  lastError_ = reason;
  return false;
}

std::wstring CWinBackupFolder::FailureText() const {
  std::lock_guard<std::mutex> lock(errorMutex_);
  return lastError_;
}

bool CWinBackupFolder::Secure() {
  if (secured_.load()) {
    return true;
  }
  if (path_.empty() || ParentPath().empty()) {
    return Fail(L"the ProgramData folder cannot be found");
  }
  std::wstring reason;
  for (const std::wstring& folder : {ParentPath(), path_}) {
    switch (CheckFolder(folder, &reason)) {
      case FolderCheck::kRefused:
        return Fail(reason);
      case FolderCheck::kUnsafe:
        return SetAside(reason);
      case FolderCheck::kAbsent:
        // Checked again while missing: it may be made by someone else meanwhile.
        return true;
      case FolderCheck::kProtected:
        break;
    }
  }
  secured_.store(true);
  return true;
}

bool CWinBackupFolder::SetAside(const std::wstring& problem) {
  // ProgramData\Padwright as a whole, whichever of the two is unsafe: nothing in it is read.
  const std::wstring parent = ParentPath();
  std::string stamp = UtcStamp(clock_.UtcMs());
  for (char& c : stamp) {
    c = c == ':' ? '-' : c;  // no colons in file names
  }
  const std::wstring aside =
      parent.substr(parent.rfind(L'\\') + 1) + L".untrusted-" + WidenAscii(stamp);
  std::wstring failure;
  if (!SetFolderAside(parent, aside, &failure)) {
    return Fail(problem + L" and could not be set aside: " + failure);
  }
  std::lock_guard<std::mutex> lock(errorMutex_);
  notice_ =
      L"Set aside " + parent + L" as " + aside + L" (" + problem + L"); its files are not read";
  return true;  // both are missing now; they are made safe when the first backup is written
}

std::wstring CWinBackupFolder::TakeNotice() {
  std::lock_guard<std::mutex> lock(errorMutex_);
  return std::exchange(notice_, std::wstring());
}

bool CWinBackupFolder::MakeFolders() {
  // Once safe, only administrators can change or remove them.
  if (secured_.load()) {
    return true;
  }
  // One found unsafe meanwhile is set aside first, like at start.
  if (!Secure()) {
    return false;
  }
  std::wstring reason;
  if (!MakeProtectedFolder(ParentPath(), &reason) || !MakeProtectedFolder(path_, &reason)) {
    secured_.store(false);
    return Fail(reason);
  }
  secured_.store(true);
  return true;
}

bool CWinBackupFolder::List(std::vector<std::string>* names) {
  names->clear();
  if (!Secure()) {
    return false;
  }
  WIN32_FIND_DATAW entry{};
  HANDLE find = FindFirstFileW((path_ + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           Fail(L"the backups cannot be listed (" + WinErrorText(error) + L")");
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

void* CWinBackupFolder::OpenTrusted(const std::string& name) {
  const std::wstring path = PathOf(name);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    Fail(WidenAscii(name) + L" is a link, so it is not read");
    return INVALID_HANDLE_VALUE;
  }
  // Read through its handle alone, so a writer may replace it meanwhile.
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Fail(WidenAscii(name) + L" cannot be opened (" + WinErrorText(GetLastError()) + L")");
    return INVALID_HANDLE_VALUE;
  }
  FolderSecurity security;
  std::string problem;
  if (IsReparsePoint(file)) {
    problem = "is a link";
  } else if (!ReadSecurity(file, &security)) {
    problem = "cannot be checked";
  } else {
    problem = FileSecurityProblem(security, AccountWhenOwnersAreNotKept());
  }
  if (!problem.empty()) {
    CloseHandle(file);
    Fail(WidenAscii(name + " " + problem + ", so it is not read"));
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

bool CWinBackupFolder::Read(const std::string& name, std::string* text) {
  return ReadUpTo(name, text, kLargestFile);
}

bool CWinBackupFolder::ReadUpTo(const std::string& name, std::string* text, size_t largest) {
  if (!Secure()) {
    return false;
  }
  HANDLE file = OpenTrusted(name);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  const bool read = ReadAll(file, text, largest);
  CloseHandle(file);
  return read || Fail(WidenAscii(name + " cannot be read"));
}

bool CWinBackupFolder::Write(const std::string& name, const std::string& text) {
  if (!MakeFolders()) {
    return false;
  }
  const std::wstring path = PathOf(name);
  const std::wstring temporary = path + L".tmp";
  // Whatever lies in the temporary file's place (a link, say) is removed, not written through.
  DeleteFileW(temporary.c_str());
  // Owned by the administrators, not by whichever account made it: only such a file is
  // read back (see FileSecurityProblem).
  COwnerDescriptor owner(kAdministratorsSid);
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), owner.Descriptor(), FALSE};
  HANDLE file = owner.Valid()
                    ? CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr)
                    : INVALID_HANDLE_VALUE;
  if (file == INVALID_HANDLE_VALUE) {
    secured_.store(false);  // checked, and made again if gone, on the next call
    return Fail(L"a backup cannot be created (" + WinErrorText(GetLastError()) + L")");
  }
  bool ok = WriteAll(file, text) && FlushFileBuffers(file);
  DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  ok = CloseHandle(file) && ok;
  ok = ok && MoveIntoPlace(temporary, path, clock_);
  if (!ok) {
    error = error != ERROR_SUCCESS ? error : GetLastError();
    DeleteFileW(temporary.c_str());
    return Fail(L"a backup cannot be written (" + WinErrorText(error) + L")");
  }
  return true;
}

bool CWinBackupFolder::Remove(const std::string& name) {
  // A link is removed itself, never what it leads to.
  return Secure() &&
         (DeleteFileW(PathOf(name).c_str()) != FALSE ||
          Fail(WidenAscii(name) + L" cannot be removed (" + WinErrorText(GetLastError()) + L")"));
}
