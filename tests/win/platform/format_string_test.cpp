// FormatString with the Windows toolchain's formatter: C standard results, growth and cut.
#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "platform/FormatString.h"

namespace {

std::wstring FormatLimited(size_t limit, unsigned* passes, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = format_string_internal::FormatWithLimit(limit, passes, format, args);
  va_end(args);
  return text;
}

}  // namespace

TEST(WinFormatString, GivesTheCStandardsResults) {
  size_t done = 58;
  size_t total = 150;
  EXPECT_EQ(FormatString(L"Upgrading, progress: %zu/%zu %.0lf%% elapsed time: %dms", done, total,
                         38.666666666, 1234),
            L"Upgrading, progress: 58/150 39% elapsed time: 1234ms");
  EXPECT_EQ(FormatString(L"Firmware Version: %d Mode: %d", 3, 1), L"Firmware Version: 3 Mode: 1");
  EXPECT_EQ(FormatString(L"Recovery mode: %d", 2), L"Recovery mode: 2");
  EXPECT_EQ(FormatString(L"Firmware Version: Error"), L"Firmware Version: Error");
  // %zu takes all 64 bits of a size_t (msvcrt without C99 support reads 32 and shifts the rest).
  EXPECT_EQ(FormatString(L"%zu %d", size_t{0x123456789}, -5), L"4886718345 -5");
  // Halves round to even under the C standard's "%.0f"; 0.5 is exact in binary.
  EXPECT_EQ(FormatString(L"%.0lf%% %.0lf%% %.0lf%%", 0.5, 1.5, 99.5), L"0% 2% 100%");
}

TEST(WinFormatString, GrowsPastTheFirstBufferAndCutsAtTheLimit) {
  std::wstring fits(259, L'x');
  std::wstring needsMore(260, L'y');
  unsigned passes = 0;
  EXPECT_EQ(FormatLimited(format_string_internal::kGrowthLimitChars, &passes, L"%ls", fits.c_str()),
            fits);
  EXPECT_EQ(passes, 1u);
  EXPECT_EQ(
      FormatLimited(format_string_internal::kGrowthLimitChars, &passes, L"%ls", needsMore.c_str()),
      needsMore);
  EXPECT_EQ(passes, 2u);
  EXPECT_EQ(FormatString(L"%ls%d", needsMore.c_str(), 7), needsMore + L"7");

  std::wstring longer(700, L'z');
  std::wstring cut = FormatLimited(520, &passes, L"%ls", longer.c_str());
  ASSERT_EQ(cut.size(), 520u);
  EXPECT_EQ(cut, longer.substr(0, 519) + std::wstring(1, L'\0'));
  EXPECT_EQ(passes, 2u);
}
