// A walk over the items of a HID report descriptor that adds up the bits of every input and
// output main item per report id.
#include "device/linux/ReportDescriptor.h"

#include <map>
#include <vector>

namespace {

// Item tags, as (tag << 4) | (type << 2) with the size bits cleared.
constexpr uint8_t kInput = 0x80;
constexpr uint8_t kOutput = 0x90;
constexpr uint8_t kReportSize = 0x74;
constexpr uint8_t kReportId = 0x84;
constexpr uint8_t kReportCount = 0x94;
constexpr uint8_t kPush = 0xA4;
constexpr uint8_t kPop = 0xB4;
constexpr uint8_t kLongItem = 0xFE;
// The longest report whose length, with its id byte, still fits 16 bits.
constexpr uint64_t kMaxReportBits = 65534 * 8;

struct GlobalState {
  uint32_t reportSize = 0;
  uint32_t reportCount = 0;
  uint32_t reportId = 0;
};

struct ReportBits {
  uint64_t input = 0;
  uint64_t output = 0;
};

uint16_t LengthOf(const std::map<uint32_t, ReportBits>& reports, bool input) {
  uint64_t longest = 0;
  for (const auto& [id, bits] : reports) {
    const uint64_t bytes = ((input ? bits.input : bits.output) + 7) / 8;
    longest = bytes > longest ? bytes : longest;
  }
  return static_cast<uint16_t>(longest == 0 ? 0 : longest + 1);
}

}  // namespace

bool ParseReportLengths(const uint8_t* descriptor, size_t size, ReportLengths* lengths) {
  GlobalState state;
  std::vector<GlobalState> stack;
  std::map<uint32_t, ReportBits> reports;
  size_t i = 0;
  while (i < size) {
    const uint8_t prefix = descriptor[i];
    if (prefix == kLongItem) {  // vendor-defined long item: skipped whole
      if (i + 2 >= size) {
        return false;
      }
      i += 3 + descriptor[i + 1];
      continue;
    }
    const size_t dataSize = (prefix & 3) == 3 ? 4 : (prefix & 3);
    if (i + 1 + dataSize > size) {
      return false;
    }
    uint32_t value = 0;
    for (size_t k = 0; k < dataSize; ++k) {
      value |= static_cast<uint32_t>(descriptor[i + 1 + k]) << (8 * k);
    }
    switch (prefix & 0xFC) {
      case kReportSize:
        state.reportSize = value;
        break;
      case kReportCount:
        state.reportCount = value;
        break;
      case kReportId:
        state.reportId = value;
        break;
      case kPush:
        stack.push_back(state);
        break;
      case kPop:
        if (!stack.empty()) {
          state = stack.back();
          stack.pop_back();
        }
        break;
      case kInput:
        reports[state.reportId].input += uint64_t{state.reportSize} * state.reportCount;
        break;
      case kOutput:
        reports[state.reportId].output += uint64_t{state.reportSize} * state.reportCount;
        break;
      default:
        break;
    }
    i += 1 + dataSize;
  }
  ReportLengths result;
  for (const auto& [id, bits] : reports) {
    if (bits.input > kMaxReportBits || bits.output > kMaxReportBits) {
      return false;
    }
    result.numberedReports = result.numberedReports || id != 0;
  }
  result.input = LengthOf(reports, true);
  result.output = LengthOf(reports, false);
  *lengths = result;
  return true;
}
