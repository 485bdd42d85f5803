// A program that a test starts: waited on by its handle and, should it still run when the
// object goes (after a failed test), ended by that handle; only our own child is touched.
#pragma once

#include <windows.h>

#include <string>

class ChildProcess {
 public:
  static constexpr DWORD kNotEnded = 0xDEAD;

  ChildProcess() = default;
  ~ChildProcess() { End(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts `exe` with `arguments` after its quoted name, in `folder` (empty: ours). With
  // `output` its standard output goes to that inheritable handle. False when it did not start.
  bool Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
             HANDLE output = nullptr);
  // Waits up to `timeoutMs` for it to end: its exit code, or kNotEnded.
  DWORD Wait(DWORD timeoutMs);
  // Waits until it ends, serving this thread's messages meanwhile (its window calls may
  // reach ours): its exit code.
  DWORD WaitServing();
  // Ends it now if it still runs, and lets go of it.
  void End();

  bool Started() const { return process_.hProcess != nullptr; }
  DWORD Id() const { return process_.dwProcessId; }

 private:
  PROCESS_INFORMATION process_ = {};
};

// Runs `exe` in `folder` and waits up to `timeoutMs` for it: its exit code, -1 if it did not
// start or end.
int RunAndWait(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
               DWORD timeoutMs = 30000);
