// Process entry: common controls, the single-instance guard, and the main window's run.
#include <windows.h>
#include <commctrl.h>

#include "device/win/ControllerBlockScan.h"
#include "frontends/window/FrameDlg.h"
#include "frontends/window/resource.h"
#include "platform/win/DriverBlockSettingsReader.h"
#include "platform/win/InpOutPhysicalMemory.h"
#include "platform/win/SystemPowerSource.h"
#include "platform/win/WinBackupFolder.h"
#include "platform/win/WindowsClock.h"

namespace {

// The session-local name of the single-instance mutex.
constexpr wchar_t kInstanceMutexName[] = L"12D4F30F-5E32-4AAB-B48E-6D19389A224B";

// Creates the instance mutex, initially owned, with a null DACL so that any account may open
// it. Null when it cannot be created; `existed` tells whether another instance made it.
HANDLE CreateInstanceMutex(bool& existed) {
  SECURITY_DESCRIPTOR descriptor = {};
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), &descriptor, FALSE};
  HANDLE mutex = CreateMutexW(&attributes, TRUE, kInstanceMutexName);
  existed = mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
  return mutex;
}

// Runs the main window until it closes; the loop's result, or -1 without a window.
int RunMainWindow() {
  CFrameDlg frame;
  int result = static_cast<int>(frame.RunModal(IDD_MAIN, nullptr, true, true));
  // Workers still running may touch `frame`: it must outlive them.
  frame.WaitForWorkers();
  return result;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Elevated, the program must not load a DLL planted in its folder: from here on every DLL
  // that is not a KnownDLL comes from System32 only. hid.dll and setupapi.dll are
  // delay-loaded, so they are first loaded after this; inpoutx64.dll, the one library meant
  // to sit beside the exe, was loaded with the exe.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  BindWindowsClock();
  BindInpOutPhysicalMemory();
  BindSystemPowerSource();
  // Who keeps the controller, and why the power switch is refused, are Windows' to tell.
  BindHidControllerBlockProbe();
  BindRegistryDriverBlockSettings();
  // The saved configuration backups outlive the process: they live beside other machine-wide
  // program data.
  static CWinBackupFolder backups(CWinBackupFolder::DefaultPath());
  // Checked, and made the administrators' own, at each start; a folder that cannot be made
  // safe is not used (Update then says why it cannot save its backup).
  backups.Secure();
  BindBackupFolder(&backups);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), 0};
  InitCommonControlsEx(&controls);
  bool existed = false;
  HANDLE mutex = CreateInstanceMutex(existed);
  int result = 0;
  if (existed) {
    MessageBoxW(nullptr, L"An instance is already running!", L"warn", MB_ICONERROR);
  } else if (mutex != nullptr) {
    result = RunMainWindow();
  }
  if (mutex != nullptr) {
    CloseHandle(mutex);
  }
  return result;
}
