// The report layout and the byte sum that every request carries.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "device/CommandReport.h"
#include "tests/support/GoldenReports.h"

TEST(Checksum, SumsUnsignedBytesIn16Bits) {
  EXPECT_EQ(Checksum(reinterpret_cast<const uint8_t*>("abc"), 3), golden::kChecksumAbc);
  std::vector<uint8_t> ff(58, 0xFF);
  EXPECT_EQ(Checksum(ff.data(), 58), golden::kChecksum58xFF);
  EXPECT_EQ(Checksum(ff.data(), 33), golden::kChecksum33xFF);
  EXPECT_EQ(Checksum(golden::kTinyImage, 3), golden::kChecksumTinyImage);
  EXPECT_EQ(Checksum(nullptr, 0), 0);
  // Past 65535 the sum wraps rather than saturating.
  std::vector<uint8_t> many(300, 0xFF);  // 76500 = 0x12AD4
  EXPECT_EQ(Checksum(many.data(), many.size()), 0x2AD4);
}

TEST(CommandReport, FieldsAreLittleEndianAtTheirOffsets) {
  CommandReport report = CommandReport::Request(CommandCode::SetMode, 0x1234);
  EXPECT_EQ(ReportHex(report), "00 00 00 0A 34 12");
  EXPECT_EQ(report.Argument(), 0x1234);
  EXPECT_EQ(report.Command(), 0x0A);

  const uint8_t payload[] = {0x01, 0x02, 0xFF};
  report.SetPayload(payload, 3);
  EXPECT_EQ(ReportHex(report), "02 01 03 0A 34 12 01 02 FF");
  EXPECT_EQ(report.ChecksumField(), 0x0102);
  EXPECT_EQ(report.Length(), 3);
}

TEST(CommandReport, PayloadNeverRunsPastTheReport) {
  std::vector<uint8_t> big(100, 0xAA);
  CommandReport report = CommandReport::Request(CommandCode::WriteGlobalConfig);
  report.SetPayload(big.data(), 100);
  EXPECT_EQ(report.Length(), 58);
  EXPECT_EQ(report.ChecksumField(), Checksum(big.data(), 58));
  EXPECT_EQ(report.bytes[63], 0xAA);
  EXPECT_EQ(sizeof(report.bytes), 64u);
}
