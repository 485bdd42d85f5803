// padwright.exe as the Windows tests run it: copied with the stand-in physical-memory library
// into a folder of its own, started as a child process and driven from outside through its
// main window, the way a user would: its texts read, its buttons pressed, its boxes answered.
#pragma once

#include <windows.h>

#include <string>

#include "tests/win/support/ChildProcess.h"

// The main window's caption.
inline constexpr wchar_t kMainCaption[] = L"Padwright (20250522)";

// Copies padwright.exe and inpoutx64.dll from beside the test program into `folder`.
bool CopyProduct(const std::wstring& folder);

class AppProcess {
 public:
  static constexpr DWORD kNotEnded = ChildProcess::kNotEnded;

  // Starts padwright.exe in `folder` (also its current folder) with some arguments, which it
  // ignores. False when it could not be started.
  bool Launch(const std::wstring& folder);
  // Launch, then wait for the main window to show. False when it did not.
  bool Start(const std::wstring& folder);
  // Waits for the process to end: its exit code, or kNotEnded.
  DWORD WaitExit(DWORD timeoutMs = 20000) { return process_.Wait(timeoutMs); }
  // Asks the main window to close (WM_CLOSE), again each second while a sequence hands back,
  // and waits up to 20 s for the process to end: its exit code, or kNotEnded.
  DWORD Close();
  // Waits until the product ends by itself (the user closed it): its exit code.
  DWORD WaitForExit() { return process_.WaitServing(); }
  // Ends the process now if it still runs.
  void End() { process_.End(); }

  HWND Window() const { return window_; }
  DWORD ProcessId() const { return process_.Id(); }
  HWND Item(int id) const { return GetDlgItem(window_, id); }
  std::wstring Text(int id) const;
  void SetText(int id, const std::wstring& text) const;
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  // Presses a button the way a click does (BM_CLICK), waiting until the window has taken it.
  void Click(int id) const;
  // Waits until control `id` shows `text`, serving this thread's messages meanwhile.
  bool WaitForText(int id, const std::wstring& text, DWORD timeoutMs = 10000) const;
  // Waits for a message box owned by the main window; null after `timeoutMs`.
  HWND WaitForBox(DWORD timeoutMs) const;
  // Presses the box's OK button and waits until it has gone.
  bool Dismiss(HWND box) const { return Answer(box, IDOK); }
  // Presses the box's button `id` (IDRETRY, IDCANCEL, IDYES, ...) and waits until it has gone.
  bool Answer(HWND box, int id) const;
  // Progress bar position (0 to 1000).
  int ProgressPosition() const;
  // Saves the window's area as a PNG named `name` once it has painted; `overlay` (a box
  // over it) is made to finish painting first.
  void Screenshot(const std::wstring& name, HWND overlay = nullptr) const;
  // Saves the window's area as it is now, for a window in the middle of a transfer.
  void ScreenshotMoving(const std::wstring& name) const;

 private:
  ChildProcess process_;
  HWND window_ = nullptr;
};
