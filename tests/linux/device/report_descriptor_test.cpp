// Report lengths from report descriptors, and the terminal's progress line.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "device/linux/ReportDescriptor.h"
#include "frontends/terminal/ProgressLine.h"

namespace {

TEST(ReportDescriptor, LengthsAsWindowsStatesThem) {
  // A vendor collection with a 64-byte input and a 64-byte output report (two-byte count).
  const std::vector<uint8_t> vendor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x96,
                                       0x40, 0x00, 0x81, 0x02, 0x96, 0x40, 0x00, 0x91, 0x02, 0xC0};
  ReportLengths lengths;
  ASSERT_TRUE(ParseReportLengths(vendor.data(), vendor.size(), &lengths));
  EXPECT_EQ(lengths.input, 65);
  EXPECT_EQ(lengths.output, 65);
  EXPECT_FALSE(lengths.numberedReports);

  // Two numbered input reports of 3 and 7 bytes, one pushed and popped report size, no output.
  const std::vector<uint8_t> numbered = {0x85, 0x01, 0x75, 0x08, 0x95, 0x03, 0x81, 0x02, 0xA4,
                                         0x75, 0x10, 0xB4, 0x85, 0x02, 0x95, 0x07, 0x81, 0x02};
  ASSERT_TRUE(ParseReportLengths(numbered.data(), numbered.size(), &lengths));
  EXPECT_EQ(lengths.input, 8);
  EXPECT_EQ(lengths.output, 0);
  EXPECT_TRUE(lengths.numberedReports);

  const std::vector<uint8_t> cut = {0x75, 0x08, 0x96, 0x40};  // ends inside an item
  EXPECT_FALSE(ParseReportLengths(cut.data(), cut.size(), &lengths));
}

TEST(ProgressLine, FitsTheTerminalAndFillsWithThePosition) {
  const std::string text = "Upgrading, progress: 58/150 39% elapsed time: 1234ms";
  const std::string half = RenderProgressLine(500, text, 80);
  EXPECT_EQ(std::count(half.begin(), half.end(), '#'), std::count(half.begin(), half.end(), '-'));
  EXPECT_EQ(RenderProgressLine(1000, text, 80).find('-'), std::string::npos);
  for (size_t columns : {1u, 20u, 40u, 64u, 200u}) {
    EXPECT_LE(RenderProgressLine(390, text, columns).size(), columns - 1) << columns;
  }
}

}  // namespace
