// The window's composition root (see WindowApp.h): common controls, the single-instance
// guard, the run's parts, and the main window's run.
#include "frontends/window/WindowApp.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <utility>

#include "device/win/ControllerBlockScan.h"
#include "device/win/ProductVexapad.h"
#include "frontends/window/FrameDlg.h"
#include "frontends/window/resource.h"
#include "platform/win/DriverBlockSettingsReader.h"
#include "platform/win/InpOutPhysicalMemory.h"
#include "platform/win/SystemPowerSource.h"
#include "platform/win/WinBackupFolder.h"
#include "platform/win/WinSecurity.h"
#include "platform/win/WindowsClock.h"
#include "workflows/RunContext.h"

namespace {

// The single-instance mutex: in the global namespace, so that an elevated run in another
// user's session is refused as well as one in this session.
constexpr wchar_t kInstanceMutexName[] = L"Global\\12D4F30F-5E32-4AAB-B48E-6D19389A224B";
constexpr uint32_t kMutexAllAccess = 0x001F0001;

// Creates the instance mutex, initially owned, that only the administrators and the system
// may open: the program runs elevated, and no other account's program may hold the name to
// keep it from starting. Null when it cannot be created (`error` says why); `existed` tells
// whether another instance made it.
HANDLE CreateInstanceMutex(bool& existed, DWORD& error) {
  FolderSecurity adminsOnly;
  adminsOnly.owner = kAdministratorsSid;
  adminsOnly.entries = {{AccessEntry::Kind::kAllow, kSystemSid, kMutexAllAccess, 0},
                        {AccessEntry::Kind::kAllow, kAdministratorsSid, kMutexAllAccess, 0}};
  CSecurityDescriptor descriptor(adminsOnly);
  if (!descriptor.Valid()) {
    error = GetLastError();
    return nullptr;
  }
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor.Descriptor(), FALSE};
  HANDLE mutex = CreateMutexW(&attributes, TRUE, kInstanceMutexName);
  error = GetLastError();
  existed = mutex != nullptr && error == ERROR_ALREADY_EXISTS;
  return mutex;
}

// The machine as the window's run sees it. Who keeps the controller, and why the power switch
// is refused, are Windows' to tell.
struct WindowsPlatform {
  explicit WindowsPlatform(std::wstring backupPath) : backups(std::move(backupPath), clock) {}
  WindowsPlatform(const WindowsPlatform&) = delete;
  WindowsPlatform& operator=(const WindowsPlatform&) = delete;

  WindowsClock clock;
  InpOutPhysicalMemory memory;
  SystemPowerSource power;
  HidControllerBlockProbe blockProbe;
  RegistryDriverBlockSettings driverBlockSettings;
  CWinBackupFolder backups;
  RunContext context{.clock = clock,
                     .memory = &memory,
                     .power = &power,
                     .backups = &backups,
                     .blockProbe = &blockProbe,
                     .driverBlockSettings = &driverBlockSettings};
  CVexapad link{clock};
};

// Runs the main window over `platform` until it closes, `notice` on its status line; the
// loop's result, or -1 without a window.
int RunMainWindow(WindowsPlatform& platform, std::wstring notice) {
  CFrameDlg frame(platform.context, platform.link);
  frame.SetStartNotice(std::move(notice));
  int result = static_cast<int>(frame.RunModal(IDD_MAIN, nullptr, true, true));
  // Workers still running may touch `frame`: it must outlive them.
  frame.WaitForWorkers();
  return result;
}

}  // namespace

int RunWindowApp() {
  // Elevated, the program must not load a DLL planted in its folder: from here on every DLL
  // that is not a KnownDLL comes from System32 only. hid.dll and setupapi.dll are
  // delay-loaded, so they are first loaded after this; inpoutx64.dll, the one library meant
  // to sit beside the exe, was loaded with the exe.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // The saved configuration backups outlive the process: they live beside other machine-wide
  // program data.
  WindowsPlatform platform(CWinBackupFolder::DefaultPath());
  INITCOMMONCONTROLSEX controls = {sizeof(controls), 0};
  InitCommonControlsEx(&controls);
  bool existed = false;
  DWORD error = ERROR_SUCCESS;
  HANDLE mutex = CreateInstanceMutex(existed, error);
  int result = 0;
  if (existed) {
    MessageBoxW(nullptr, L"An instance is already running!", L"warn", MB_ICONERROR);
  } else if (mutex == nullptr) {
    // Never a silent end: the user would not know why nothing opened.
    const std::wstring why =
        L"Padwright cannot start: its single-instance guard could not be made (" +
        WinErrorText(error) + L").";
    MessageBoxW(nullptr, why.c_str(), L"error", MB_ICONERROR);
    result = 1;
  } else {
    // The backup folder is checked at each start, once no other run uses it: an unsafe
    // folder is set aside (the status line says so), one that cannot be used at all is not
    // (Update then says why it cannot save its backup).
    platform.backups.Secure();
    result = RunMainWindow(platform, platform.backups.TakeNotice());
  }
  if (mutex != nullptr) {
    CloseHandle(mutex);
  }
  return result;
}
