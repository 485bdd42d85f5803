// Wide printf-style formatting: the system's texts, the buffer growth and the cut. Built
// natively and into the Windows platform tests, where MinGW's own C99 formatter must give
// the same C standard results.
#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "platform/FormatString.h"

namespace {

using format_string_internal::FormatWithLimit;

std::wstring FormatLimited(size_t limit, unsigned* passes, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = FormatWithLimit(limit, passes, format, args);
  va_end(args);
  return text;
}

}  // namespace

TEST(FormatString, GivesTheSystemsTexts) {
  size_t done = 58;
  size_t total = 150;
  EXPECT_EQ(FormatString(L"Upgrading, progress: %zu/%zu %.0lf%% elapsed time: %dms", done, total,
                         38.666666, 1234),
            L"Upgrading, progress: 58/150 39% elapsed time: 1234ms");
  EXPECT_EQ(FormatString(L"Upgrading, progress: %zu/%zu %.0lf%% elapsed time: %dms", total, total,
                         100.0, 0),
            L"Upgrading, progress: 150/150 100% elapsed time: 0ms");
  EXPECT_EQ(FormatString(L"Firmware Version: %d Mode: %d", 3, 1), L"Firmware Version: 3 Mode: 1");
  EXPECT_EQ(FormatString(L"Recovery mode: %d", 255), L"Recovery mode: 255");
  EXPECT_EQ(FormatString(L"Firmware Version: Error"), L"Firmware Version: Error");
  EXPECT_EQ(FormatString(L"Ready, please wait..."), L"Ready, please wait...");
  EXPECT_EQ(FormatString(L""), L"");
  // Halves round to even under the C standard's "%.0f"; 0.5 is exact in binary.
  EXPECT_EQ(FormatString(L"%.0lf%% %.0lf%% %.0lf%%", 0.5, 1.5, 99.5), L"0% 2% 100%");
}

// msvcrt without C99 support would read 32 bits and shift the rest into the next argument.
TEST(FormatString, SizeTakesAllSixtyFourBits) {
  size_t big = 0x123456789ull;
  EXPECT_EQ(FormatString(L"%zu|%d", big, -7), L"4886718345|-7");
}

TEST(FormatString, FirstBufferHoldsTwoHundredFiftyNineCharacters) {
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
  // 520 holds 519 characters; 520 need a third pass with 1040.
  std::wstring third(520, L'z');
  EXPECT_EQ(
      FormatLimited(format_string_internal::kGrowthLimitChars, &passes, L"%ls", third.c_str()),
      third);
  EXPECT_EQ(passes, 3u);
  // The public entry agrees, arguments reused on every pass.
  EXPECT_EQ(FormatString(L"%ls%d", needsMore.c_str(), 42), needsMore + L"42");
}

TEST(FormatString, TextLongerThanTheLargestBufferIsCutWithATrailingZero) {
  std::wstring text(1000, L'a');
  text += L"tail";
  unsigned passes = 0;
  // Growth stops at 520 when 520 is the limit: 519 characters and a zero.
  std::wstring cut = FormatLimited(520, &passes, L"%ls", text.c_str());
  ASSERT_EQ(cut.size(), 520u);
  EXPECT_EQ(cut.substr(0, 519), text.substr(0, 519));
  EXPECT_EQ(cut[519], L'\0');
  EXPECT_EQ(passes, 2u);
  // A limit between two sizes still takes the next doubling: 260, 520, then 1040 >= 600.
  EXPECT_EQ(FormatLimited(600, &passes, L"%ls", text.c_str()), text);
  EXPECT_EQ(passes, 3u);
  std::wstring longer(2000, L'b');
  cut = FormatLimited(600, &passes, L"%ls", longer.c_str());
  ASSERT_EQ(cut.size(), 1040u);
  EXPECT_EQ(cut, longer.substr(0, 1039) + std::wstring(1, L'\0'));
  EXPECT_EQ(passes, 3u);
  // With the first buffer already at the limit only one pass is made.
  cut = FormatLimited(1, &passes, L"%ls", text.c_str());
  ASSERT_EQ(cut.size(), 260u);
  EXPECT_EQ(cut.substr(0, 259), text.substr(0, 259));
  EXPECT_EQ(cut[259], L'\0');
  EXPECT_EQ(passes, 1u);
}
