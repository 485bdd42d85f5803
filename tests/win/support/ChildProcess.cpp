// A program started by a test (see ChildProcess.h).
#include "tests/win/support/ChildProcess.h"

#include "tests/win/support/WindowProbe.h"

bool ChildProcess::Start(const std::wstring& exe, const std::wstring& arguments,
                         const std::wstring& folder, HANDLE output) {
  End();
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty()) {
    commandLine += L" " + arguments;
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  if (output != nullptr) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  }
  // CreateProcessW may write into the command line, so it gets a copy of its own.
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, output != nullptr, 0,
                      nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process_)) {
    process_ = {};
    return false;
  }
  return true;
}

DWORD ChildProcess::Wait(DWORD timeoutMs) {
  DWORD code = kNotEnded;
  if (Started() && WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process_.hProcess, &code);
  }
  return code;
}

DWORD ChildProcess::WaitServing() {
  if (!Started()) {
    return kNotEnded;
  }
  while (MsgWaitForMultipleObjects(1, &process_.hProcess, FALSE, INFINITE, QS_ALLINPUT) !=
         WAIT_OBJECT_0) {
    probe::Pump();
  }
  return Wait(0);
}

void ChildProcess::End() {
  if (!Started()) {
    return;
  }
  if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
  process_ = {};
}

int RunAndWait(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
               DWORD timeoutMs) {
  ChildProcess child;
  if (!child.Start(exe, arguments, folder)) {
    return -1;
  }
  const DWORD code = child.Wait(timeoutMs);
  return code == ChildProcess::kNotEnded ? -1 : static_cast<int>(code);
}
