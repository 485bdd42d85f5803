// The driver-blocking settings from the registry (see DriverBlockSettingsReader.h).
#include "platform/win/DriverBlockSettingsReader.h"

#include <windows.h>

namespace {

// Whether the DWORD `value` under HKLM\`key` is 1. The exe is 64-bit only, so it reads the
// registry's 64-bit view, where Windows keeps these.
bool IsOne(const wchar_t* key, const wchar_t* value) {
  DWORD data = 0;
  DWORD size = sizeof(data);
  return RegGetValueW(HKEY_LOCAL_MACHINE, key, value, RRF_RT_REG_DWORD, nullptr, &data, &size) ==
             ERROR_SUCCESS &&
         data == 1;
}

}  // namespace

DriverBlockSettings ReadDriverBlockSettings() {
  DriverBlockSettings settings;
  settings.memoryIntegrity = IsOne(
      L"SYSTEM\\CurrentControlSet\\Control\\DeviceGuard\\Scenarios\\HypervisorEnforcedCodeIntegrit"
      L"y",
      L"Enabled");
  settings.vulnerableDriverBlocklist =
      IsOne(L"SYSTEM\\CurrentControlSet\\Control\\CI\\Config", L"VulnerableDriverBlocklistEnable");
  // 1 enforces; 2 only evaluates and blocks nothing.
  settings.smartAppControl =
      IsOne(L"SYSTEM\\CurrentControlSet\\Control\\CI\\Policy", L"VerifiedAndReputablePolicyState");
  return settings;
}

namespace {

class RegistryDriverBlockSettings final : public DriverBlockSettingsSource {
 public:
  DriverBlockSettings Read() override { return ReadDriverBlockSettings(); }
};

}  // namespace

void BindRegistryDriverBlockSettings() {
  static RegistryDriverBlockSettings source;
  BindDriverBlockSettingsSource(&source);
}
