// The probable reasons the power switch's driver did not load: each of Windows' own settings
// that is on, with its own remedy, and other software when none is.
#include <gtest/gtest.h>

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

  settings.smartAppControl = true;
  EXPECT_EQ(ProbableDriverBlocks(settings), Causes{DriverBlockCause::kSmartAppControl});
  // The blocklist, on by default, must not hide Smart App Control.
  settings.vulnerableDriverBlocklist = true;
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

}  // namespace
