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

// The global items that a main item's bits depend on (with their push and pop stack), and
// the bits of every input and output main item added up per report id.
class DescriptorWalk {
 public:
  void Apply(uint8_t tag, uint32_t value) {
    switch (tag) {
      case kReportSize:
        state_.reportSize = value;
        break;
      case kReportCount:
        state_.reportCount = value;
        break;
      case kReportId:
        state_.reportId = value;
        break;
      case kPush:
        stack_.push_back(state_);
        break;
      case kPop:
        if (!stack_.empty()) {
          state_ = stack_.back();
          stack_.pop_back();
        }
        break;
      case kInput:
        reports_[state_.reportId].input += uint64_t{state_.reportSize} * state_.reportCount;
        break;
      case kOutput:
        reports_[state_.reportId].output += uint64_t{state_.reportSize} * state_.reportCount;
        break;
      default:
        break;
    }
  }

  const std::map<uint32_t, ReportBits>& Reports() const { return reports_; }

 private:
  GlobalState state_;
  std::vector<GlobalState> stack_;
  std::map<uint32_t, ReportBits> reports_;
};

// Reads the item at `*at` and moves past it: a short item's tag (size bits cleared) and
// little-endian data, or a long item (vendor-defined), skipped whole with `*tag` set to it.
// False when the item runs past the end of the descriptor.
bool NextItem(const uint8_t* descriptor, size_t size, size_t* at, uint8_t* tag, uint32_t* value) {
  const size_t i = *at;
  const uint8_t prefix = descriptor[i];
  if (prefix == kLongItem) {
    if (i + 2 >= size) {
      return false;
    }
    *tag = kLongItem;
    *at = i + 3 + descriptor[i + 1];
    return true;
  }
  const size_t dataSize = (prefix & 3) == 3 ? 4 : (prefix & 3);
  if (i + 1 + dataSize > size) {
    return false;
  }
  *value = 0;
  for (size_t k = 0; k < dataSize; ++k) {
    *value |= static_cast<uint32_t>(descriptor[i + 1 + k]) << (8 * k);
  }
  *tag = prefix & 0xFC;
  *at = i + 1 + dataSize;
  return true;
}

}  // namespace

bool ParseReportLengths(const uint8_t* descriptor, size_t size, ReportLengths* lengths) {
  DescriptorWalk walk;
  size_t at = 0;
  while (at < size) {
    uint8_t tag = 0;
    uint32_t value = 0;
    if (!NextItem(descriptor, size, &at, &tag, &value)) {
      return false;
    }
    walk.Apply(tag, value);
  }
  ReportLengths result;
  for (const auto& [id, bits] : walk.Reports()) {
    if (bits.input > kMaxReportBits || bits.output > kMaxReportBits) {
      return false;
    }
    result.numberedReports = result.numberedReports || id != 0;
  }
  result.input = LengthOf(walk.Reports(), true);
  result.output = LengthOf(walk.Reports(), false);
  *lengths = result;
  return true;
}
