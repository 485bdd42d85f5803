// A test's own temporary folder and its file operations.
#include "TestFolder.h"

namespace {

// The same path in the form that lifts the MAX_PATH limit.
std::wstring Extended(const std::wstring& path) {
  return path.rfind(L"\\\\?\\", 0) == 0 ? path : L"\\\\?\\" + path;
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW entry = {};
  HANDLE find = FindFirstFileW((Extended(folder) + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") {
        continue;
      }
      const std::wstring path = folder + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(Extended(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(Extended(path).c_str());
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(Extended(folder).c_str());
}

}  // namespace

std::wstring ModuleFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text = path;
  return text.substr(0, text.find_last_of(L'\\'));
}

bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  DWORD written = 0;
  const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                             &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

int RunAndWait(const std::wstring& exe, const std::wstring& folder, DWORD timeoutMs) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    return -1;
  }
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  } else {
    TerminateProcess(process.hProcess, 1);  // our own child, by its handle
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

TestFolder::TestFolder(const std::wstring& name) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + L"padwright-" + name + L"-" + std::to_wstring(GetCurrentProcessId());
  RemoveTree(path_);  // what a crashed earlier run may have left
  CreateDirectoryW(path_.c_str(), nullptr);
}

TestFolder::~TestFolder() {
  RemoveTree(path_);
}

bool TestFolder::Copy(const std::wstring& from, const std::wstring& name) const {
  return CopyFileW(from.c_str(), File(name).c_str(), FALSE) != FALSE;
}

bool TestFolder::Write(const std::wstring& name, const std::vector<uint8_t>& bytes) const {
  return WriteWholeFile(File(name), bytes);
}

bool TestFolder::Exists(const std::wstring& name) const {
  return GetFileAttributesW(Extended(File(name)).c_str()) != INVALID_FILE_ATTRIBUTES;
}
