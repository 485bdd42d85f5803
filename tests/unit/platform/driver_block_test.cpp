// The probable reason the power switch's driver did not load: the first of Windows' own
// settings that is on, each with its own remedy, and other software when none is.
#include <gtest/gtest.h>

#include <string>

#include "platform/DriverBlock.h"

namespace {

bool StartsWith(const std::wstring& text, const std::wstring& start) {
  return text.rfind(start, 0) == 0;
}

TEST(DriverBlock, FirstSettingThatIsOnNamesTheCauseAndItsRemedy) {
  DriverBlockSettings settings;
  EXPECT_EQ(ProbableDriverBlock(settings), DriverBlockCause::kOtherSoftware);
  EXPECT_NE(DriverBlockAdvice(DriverBlockCause::kOtherSoftware)
                .find(L"an antivirus program or a game's anti-cheat driver may block the driver "
                      L"of inpoutx64.dll"),
            std::wstring::npos);

  settings.smartAppControl = true;
  EXPECT_EQ(ProbableDriverBlock(settings), DriverBlockCause::kSmartAppControl);
  settings.vulnerableDriverBlocklist = true;
  EXPECT_EQ(ProbableDriverBlock(settings), DriverBlockCause::kVulnerableDriverBlocklist);
  settings.memoryIntegrity = true;
  EXPECT_EQ(ProbableDriverBlock(settings), DriverBlockCause::kMemoryIntegrity);

  const std::wstring memoryIntegrity = DriverBlockAdvice(DriverBlockCause::kMemoryIntegrity);
  EXPECT_TRUE(StartsWith(memoryIntegrity, L"Memory integrity is on: "));
  EXPECT_NE(memoryIntegrity.find(L"Device security > Core isolation"), std::wstring::npos);
  EXPECT_TRUE(StartsWith(DriverBlockAdvice(DriverBlockCause::kVulnerableDriverBlocklist),
                         L"The vulnerable driver blocklist is on: "));
  EXPECT_TRUE(StartsWith(DriverBlockAdvice(DriverBlockCause::kSmartAppControl),
                         L"Smart App Control is on: "));
}

}  // namespace
