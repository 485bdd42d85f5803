// padwright.exe as the window tests run it: copied with the stand-in physical-memory library
// into a folder of its own (AppFolder), started as a child process and looked at from outside
// through its main window (AppProcess).
#pragma once

#include <windows.h>

#include <string>

// A temporary folder holding padwright.exe, inpoutx64.dll and `firmwareFiles` empty
// "fw<n>.vxf" files; removed again, with what it holds, when the object goes.
class AppFolder {
 public:
  AppFolder(const std::wstring& name, int firmwareFiles);
  ~AppFolder();
  AppFolder(const AppFolder&) = delete;
  AppFolder& operator=(const AppFolder&) = delete;

  // False when the folder or one of its files could not be made.
  bool Ready() const { return ready_; }
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
  int firmwareFiles_;
  bool ready_ = false;
};

class AppProcess {
 public:
  static constexpr DWORD kNotEnded = 0xDEAD;

  AppProcess() = default;
  // A process still running then (after a failed test) is terminated: only our own child.
  ~AppProcess();
  AppProcess(const AppProcess&) = delete;
  AppProcess& operator=(const AppProcess&) = delete;

  // Starts padwright.exe in `folder` (also its current folder) with some arguments, which it
  // ignores. False when it could not be started.
  bool Launch(const std::wstring& folder);
  // Launch, then wait for the main window to show. False when it did not.
  bool Start(const std::wstring& folder);
  // Waits for the process to end: its exit code, or kNotEnded.
  DWORD WaitExit(DWORD timeoutMs = 15000);
  // Asks the main window to close (WM_CLOSE) and waits for the process to end.
  DWORD Close();

  HWND Window() const { return window_; }
  DWORD ProcessId() const { return process_.dwProcessId; }
  HWND Item(int id) const { return GetDlgItem(window_, id); }
  std::wstring Text(int id) const;
  // Waits until control `id` shows `text`, serving this thread's messages meanwhile.
  bool WaitForText(int id, const std::wstring& text, DWORD timeoutMs = 10000) const;
  // Presses a button the way a click does (BM_CLICK), waiting until the window has taken it.
  void Click(int id) const;

 private:
  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
};
