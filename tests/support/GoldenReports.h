// Byte-exact requests of the controller protocol's worked examples, kept once for every
// test that checks what goes on the wire. Each lists a report's leading bytes; the rest of
// the 64 are zero.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "device/CommandReport.h"

inline CommandReport GoldenReport(std::initializer_list<uint8_t> leading) {
  CommandReport report;
  size_t i = 0;
  for (uint8_t byte : leading) {
    report.bytes[i++] = byte;
  }
  return report;
}

// Hex of a report with its trailing zeros left out, e.g. "00 00 00 05", for readable
// comparisons and failure messages.
inline std::string ReportHex(const CommandReport& report) {
  size_t end = report.bytes.size();
  while (end > 0 && report.bytes[end - 1] == 0) {
    --end;
  }
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (size_t i = 0; i < end; ++i) {
    if (i > 0) {
      text += ' ';
    }
    text += kDigits[report.bytes[i] >> 4];
    text += kDigits[report.bytes[i] & 0x0F];
  }
  return text;
}

namespace golden {

inline const CommandReport kSaveConfig = GoldenReport({0x00, 0x00, 0x00, 0x05});
inline const CommandReport kReadButtonBlock5 = GoldenReport({0x00, 0x00, 0x00, 0x06, 0x05, 0x00});
inline const CommandReport kSetMode2 = GoldenReport({0x00, 0x00, 0x00, 0x0A, 0x02, 0x00});
// Block 1 carrying 01..0B: checksum 0x0042.
inline const CommandReport kWriteButtonBlock1 =
    GoldenReport({0x42, 0x00, 0x0B, 0x07, 0x01, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                  0x08, 0x09, 0x0A, 0x0B});
inline const CommandReport kReadGlobalConfig = GoldenReport({0x00, 0x00, 0x00, 0x08});

// Transfer of the three-byte image 01 02 FF.
inline const uint8_t kTinyImage[] = {0x01, 0x02, 0xFF};
inline const CommandReport kEnterBootLoader = GoldenReport({0x00, 0x00, 0x00, 0x01});
inline const CommandReport kTinyImagePacket =
    GoldenReport({0x02, 0x01, 0x03, 0x02, 0x00, 0x00, 0x01, 0x02, 0xFF});
inline const CommandReport kEndTransfer = GoldenReport({0x00, 0x00, 0x00, 0x03});

// Checksums.
inline constexpr uint16_t kChecksumAbc = 0x0126;        // "abc"
inline constexpr uint16_t kChecksum58xFF = 0x39C6;      // largest payload, all 0xFF
inline constexpr uint16_t kChecksum33xFF = 0x20DF;      // a full global block of 0xFF
inline constexpr uint16_t kChecksum01to0B = 0x0042;     // 01 02 .. 0B
inline constexpr uint16_t kChecksumTinyImage = 0x0102;  // 01 02 FF

}  // namespace golden
