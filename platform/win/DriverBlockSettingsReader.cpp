// The driver-blocking settings from the registry (see DriverBlockSettingsReader.h).
#include "platform/win/DriverBlockSettingsReader.h"

#include <windows.h>

#include <cwchar>

namespace {

// The DWORD `value` under HKLM\`key`; false when it is missing or not a DWORD. The exe is
// 64-bit only, so it reads the registry's 64-bit view, where Windows keeps these.
bool ReadDword(const wchar_t* key, const wchar_t* value, DWORD* data) {
  DWORD size = sizeof(*data);
  return RegGetValueW(HKEY_LOCAL_MACHINE, key, value, RRF_RT_REG_DWORD, nullptr, data, &size) ==
         ERROR_SUCCESS;
}

bool IsOne(const wchar_t* key, const wchar_t* value) {
  DWORD data = 0;
  return ReadDword(key, value, &data) && data == 1;
}

// Memory integrity as Windows Security turns it on, or as the group policy "Turn On
// Virtualization Based Security" does: virtualization-based security on, and code integrity
// enforced with or without its UEFI lock (1, 2; 0 is off, 3 not configured).
bool MemoryIntegrityOn() {
  if (IsOne(L"SYSTEM\\CurrentControlSet\\Control\\DeviceGuard\\Scenarios\\"
            L"HypervisorEnforcedCodeIntegrity",
            L"Enabled")) {
    return true;
  }
  constexpr wchar_t kPolicy[] = L"SOFTWARE\\Policies\\Microsoft\\Windows\\DeviceGuard";
  DWORD integrity = 0;
  return IsOne(kPolicy, L"EnableVirtualizationBasedSecurity") &&
         ReadDword(kPolicy, L"HypervisorEnforcedCodeIntegrity", &integrity) &&
         (integrity == 1 || integrity == 2);
}

BlocklistSwitch ReadBlocklistSwitch() {
  DWORD data = 0;
  if (!ReadDword(L"SYSTEM\\CurrentControlSet\\Control\\CI\\Config",
                 L"VulnerableDriverBlocklistEnable", &data)) {
    return BlocklistSwitch::kNotSet;
  }
  return data == 1 ? BlocklistSwitch::kOn : BlocklistSwitch::kOff;
}

// The build number as Windows itself keeps it: unlike GetVersionEx, never lowered for a
// program whose manifest names no later version.
unsigned long ReadWindowsBuild() {
  wchar_t text[16] = {};
  DWORD size = sizeof(text);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                   L"CurrentBuildNumber", RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
    return 0;
  }
  text[15] = L'\0';
  return wcstoul(text, nullptr, 10);
}

}  // namespace

DriverBlockSettings ReadDriverBlockSettings() {
  DriverBlockSettings settings;
  settings.memoryIntegrity = MemoryIntegrityOn();
  settings.vulnerableDriverBlocklist = ReadBlocklistSwitch();
  // 1 enforces; 2 only evaluates and blocks nothing.
  settings.smartAppControl =
      IsOne(L"SYSTEM\\CurrentControlSet\\Control\\CI\\Policy", L"VerifiedAndReputablePolicyState");
  settings.windowsBuild = ReadWindowsBuild();
  return settings;
}
