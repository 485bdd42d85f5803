// The probable reasons the power switch's driver did not load: each of Windows' own settings
// that is on, with its own remedy, and other software when none is.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/DriverBlock.h"

namespace {

bool StartsWith(const std::wstring& text, const std::wstring& start) {
  return text.rfind(start, 0) == 0;
}

using Causes = std::vector<DriverBlockCause>;

TEST(DriverBlock, EverySettingThatIsOnNamesItsCauseAndItsRemedy) {
  DriverBlockSettings settings;
  EXPECT_EQ(ProbableDriverBlocks(settings), Causes{DriverBlockCause::kOtherSoftware});
  EXPECT_NE(DriverBlockAdvice(DriverBlockCause::kOtherSoftware)
                .find(L"an antivirus program or a game's anti-cheat driver may block the driver "
                      L"of inpoutx64.dll"),
            std::wstring::npos);

  settings.vulnerableDriverBlocklist = BlocklistSwitch::kOn;
  EXPECT_EQ(ProbableDriverBlocks(settings), Causes{DriverBlockCause::kVulnerableDriverBlocklist});
  // The blocklist, enforced with Smart App Control, must not hide it.
  settings.vulnerableDriverBlocklist = BlocklistSwitch::kOff;
  settings.smartAppControl = true;
  EXPECT_EQ(ProbableDriverBlocks(settings), (Causes{DriverBlockCause::kVulnerableDriverBlocklist,
                                                    DriverBlockCause::kSmartAppControl}));
  settings.memoryIntegrity = true;
  EXPECT_EQ(ProbableDriverBlocks(settings).front(), DriverBlockCause::kMemoryIntegrity);
  EXPECT_EQ(ProbableDriverBlocks(settings).size(), 3u);

  const std::wstring memoryIntegrity = DriverBlockAdvice(DriverBlockCause::kMemoryIntegrity);
  EXPECT_TRUE(StartsWith(memoryIntegrity, L"Memory integrity is on: "));
  EXPECT_NE(memoryIntegrity.find(L"Device security > Core isolation"), std::wstring::npos);
  EXPECT_TRUE(StartsWith(DriverBlockAdvice(DriverBlockCause::kVulnerableDriverBlocklist),
                         L"The vulnerable driver blocklist is on: "));
  EXPECT_TRUE(StartsWith(DriverBlockAdvice(DriverBlockCause::kSmartAppControl),
                         L"Smart App Control is on: "));
}

TEST(DriverBlock, BlocklistIsOnAsWindowsEnforcesItNotOnlyAsItsSwitchSays) {
  struct Case {
    BlocklistSwitch blocklist;
    unsigned long build;
    bool memoryIntegrity;
    bool smartAppControl;
    bool on;
  };
  const Case cases[] = {
      // No value kept: off before Windows 11 22H2, on from it; unknown build: off.
      {BlocklistSwitch::kNotSet, 22000, false, false, false},
      {BlocklistSwitch::kNotSet, 22621, false, false, true},
      {BlocklistSwitch::kNotSet, 26100, false, false, true},
      {BlocklistSwitch::kNotSet, 0, false, false, false},
      // The user's switch decides, on any build...
      {BlocklistSwitch::kOff, 26100, false, false, false},
      {BlocklistSwitch::kOn, 19045, false, false, true},
      // ...unless memory integrity or Smart App Control enforces it.
      {BlocklistSwitch::kNotSet, 19045, true, false, true},
      {BlocklistSwitch::kNotSet, 19045, false, true, true},
      {BlocklistSwitch::kOff, 26100, true, false, true},
      {BlocklistSwitch::kOff, 22621, false, true, true},
  };
  for (const Case& c : cases) {
    DriverBlockSettings settings;
    settings.vulnerableDriverBlocklist = c.blocklist;
    settings.windowsBuild = c.build;
    settings.memoryIntegrity = c.memoryIntegrity;
    settings.smartAppControl = c.smartAppControl;
    EXPECT_EQ(VulnerableDriverBlocklistOn(settings), c.on)
        << static_cast<int>(c.blocklist) << " build " << c.build << " " << c.memoryIntegrity
        << c.smartAppControl;
    const Causes causes = ProbableDriverBlocks(settings);
    EXPECT_EQ(
        std::count(causes.begin(), causes.end(), DriverBlockCause::kVulnerableDriverBlocklist),
        c.on ? 1 : 0);
  }
}

}  // namespace
