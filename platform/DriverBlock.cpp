// The probable reason the physical-memory driver did not load (see DriverBlock.h).
#include "platform/DriverBlock.h"

bool VulnerableDriverBlocklistOn(const DriverBlockSettings& settings) {
  if (settings.memoryIntegrity || settings.smartAppControl) {
    return true;
  }
  switch (settings.vulnerableDriverBlocklist) {
    case BlocklistSwitch::kOn:
      return true;
    case BlocklistSwitch::kOff:
      return false;
    case BlocklistSwitch::kNotSet:
      break;
  }
  return settings.windowsBuild >= kBlocklistDefaultOnBuild;
}

std::vector<DriverBlockCause> ProbableDriverBlocks(const DriverBlockSettings& settings) {
  std::vector<DriverBlockCause> causes;
  if (settings.memoryIntegrity) {
    causes.push_back(DriverBlockCause::kMemoryIntegrity);
  }
  if (VulnerableDriverBlocklistOn(settings)) {
    causes.push_back(DriverBlockCause::kVulnerableDriverBlocklist);
  }
  if (settings.smartAppControl) {
    causes.push_back(DriverBlockCause::kSmartAppControl);
  }
  if (causes.empty()) {
    causes.push_back(DriverBlockCause::kOtherSoftware);
  }
  return causes;
}

std::wstring DriverBlockAdvice(DriverBlockCause cause) {
  switch (cause) {
    case DriverBlockCause::kMemoryIntegrity:
      return L"Memory integrity is on: it keeps the driver of inpoutx64.dll from loading. In "
             L"Windows Security, go to Device security > Core isolation details, turn Memory "
             L"integrity off and restart Windows; update the controller, then turn it on again.";
    case DriverBlockCause::kVulnerableDriverBlocklist:
      return L"The vulnerable driver blocklist is on: it blocks some builds of the driver of "
             L"inpoutx64.dll. In Windows Security, go to Device security > Core isolation "
             L"details, turn the Microsoft Vulnerable Driver Blocklist off and restart Windows; "
             L"update the controller, then turn it on again.";
    case DriverBlockCause::kSmartAppControl:
      return L"Smart App Control is on: it can block inpoutx64.dll and its driver, and it makes "
             L"no exception for one program. It is turned off in Windows Security > App & "
             L"browser control > Smart App Control settings; on many versions of Windows, "
             L"once off it cannot be turned on again without reinstalling Windows.";
    case DriverBlockCause::kOtherSoftware:
      break;
  }
  return L"Memory integrity, the vulnerable driver blocklist and Smart App Control are off: an "
         L"antivirus program or a game's anti-cheat driver may block the driver of "
         L"inpoutx64.dll. Allow inpoutx64.dll in the antivirus program, or quit the game and its "
         L"anti-cheat service, then try again.";
}

std::wstring PowerSwitchAdvice(DriverBlockSettingsSource* source) {
  if (source == nullptr) {
    return std::wstring();
  }
  std::wstring advice;
  for (DriverBlockCause cause : ProbableDriverBlocks(source->Read())) {
    advice += (advice.empty() ? L"" : L"\n\n") + DriverBlockAdvice(cause);
  }
  return advice;
}
