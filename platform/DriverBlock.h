// Why the physical-memory library's driver most likely did not load when the power switch is
// out of reach on Windows, judged from three settings of Windows itself, and what the user
// can do about it. The choice and its words live here; the settings come from a source the
// platform gives its run (the registry: platform/win/DriverBlockSettingsReader.h).
#pragma once

#include <string>
#include <vector>

// What the blocklist's own switch says: Windows keeps no value until the user turns it on
// or off, and what a missing one means depends on the version and the other settings.
enum class BlocklistSwitch { kNotSet, kOff, kOn };

// As Windows keeps them; memory integrity and Smart App Control are "on" only when Windows
// says so, and a setting that cannot be read is off (the blocklist's: not set).
struct DriverBlockSettings {
  bool memoryIntegrity = false;  // hypervisor-enforced code integrity, or its group policy
  BlocklistSwitch vulnerableDriverBlocklist = BlocklistSwitch::kNotSet;  // refused by hash
  bool smartAppControl = false;    // enforcing, not only evaluating
  unsigned long windowsBuild = 0;  // the build number of Windows; 0 when unknown
};

// The first build of Windows 11 2022 Update (22H2), from which the blocklist is on unless
// the user turned it off.
inline constexpr unsigned long kBlocklistDefaultOnBuild = 22621;

// Whether Microsoft's vulnerable driver blocklist is in force. As Microsoft documents it, it
// is enforced whenever memory integrity or Smart App Control is on (its switch is greyed
// out then, whatever it says); otherwise it is on when its switch says so, or, with no value
// kept, from Windows 11 22H2 on.
bool VulnerableDriverBlocklistOn(const DriverBlockSettings& settings);

enum class DriverBlockCause {
  kMemoryIntegrity,
  kVulnerableDriverBlocklist,
  kSmartAppControl,
  kOtherSoftware,  // none of Windows' own: an antivirus program or an anti-cheat driver
};

// Every setting that is on, in the order above: memory integrity refuses the driver
// outright, the blocklist refuses some builds of it, Smart App Control refuses what it does
// not trust. All of them are named, since any one may be what stands in the way, and the
// blocklist is on by default. With none on, other software is the likely cause.
std::vector<DriverBlockCause> ProbableDriverBlocks(const DriverBlockSettings& settings);

// The cause and its remedy, with the way through Windows Security, as sentences for the
// refusal's message box.
std::wstring DriverBlockAdvice(DriverBlockCause cause);

class DriverBlockSettingsSource {
 public:
  virtual ~DriverBlockSettingsSource() = default;
  // The settings as they are now.
  virtual DriverBlockSettings Read() = 0;
};

// The advice for a refusal of the power switch, from the settings `source` reads now; empty
// without a source (a platform whose refusal says its own reason).
std::wstring PowerSwitchAdvice(DriverBlockSettingsSource* source);
