// The on-disk text of a saved configuration backup (see BackupFormat.h).
#include "workflows/BackupFormat.h"

#include <array>
#include <cstdio>
#include <vector>

#include "platform/Crc32.h"
#include "platform/TimeText.h"

namespace {

constexpr std::string_view kTitle = "Padwright configuration backup";
constexpr std::array<BackupState, 5> kStates = {BackupState::kSaved, BackupState::kPending,
                                                BackupState::kWrittenBack, BackupState::kDeclined,
                                                BackupState::kSetAside};
// Enough for any number a folder will reach, and never near overflow when one is added.
constexpr size_t kLongestSequence = 15;

std::string Hex(const uint8_t* bytes, size_t count) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(count * 2);
  for (size_t i = 0; i < count; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0F];
  }
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

template <size_t N>
bool Unhex(std::string_view text, std::array<uint8_t, N>* out) {
  if (text.size() != N * 2) {
    return false;
  }
  for (size_t i = 0; i < N; ++i) {
    const int high = HexDigit(text[2 * i]);
    const int low = HexDigit(text[2 * i + 1]);
    if (high < 0 || low < 0) {
      return false;
    }
    (*out)[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return true;
}

bool ParseByte(std::string_view text, int* value) {
  if (text.empty() || text.size() > 3) {
    return false;
  }
  *value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
    *value = *value * 10 + (c - '0');
  }
  return *value <= 255;
}

// A sequence number: 1 or more, in decimal digits without a leading zero.
bool ParseSequence(std::string_view text, int64_t* value) {
  if (text.empty() || text.size() > kLongestSequence || text[0] == '0') {
    return false;
  }
  *value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
    *value = *value * 10 + (c - '0');
  }
  return true;
}

// The text's lines, each without its newline; the last one is what follows the last newline.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

// The value of the line "key value", or nothing when the line has another key.
std::optional<std::string_view> Field(std::string_view line, std::string_view key) {
  if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != ' ') {
    return std::nullopt;
  }
  return line.substr(key.size() + 1);
}

std::string ByteOrDash(const std::optional<GlobalConfig>& global, size_t byte) {
  return global ? std::to_string((*global)[byte]) : "-";
}

// The fields between the format line and the CRC line, in their order.
BackupDamage ParseFields(const std::vector<std::string_view>& lines, int format, SavedBackup* out) {
  size_t at = 2;
  auto next = [&](std::string_view key) -> std::optional<std::string_view> {
    if (at < lines.size() - 2) {
      if (std::optional<std::string_view> value = Field(lines[at], key)) {
        ++at;
        return value;
      }
    }
    return std::nullopt;
  };
  SavedBackup backup;
  if (format != kUnnumberedFormatVersion) {
    std::optional<std::string_view> sequence = next("sequence");
    if (!sequence || !ParseSequence(*sequence, &backup.sequence)) {
      return BackupDamage::kBadField;
    }
  }
  std::optional<std::string_view> time = next("time");
  std::optional<std::string_view> firmware = next("firmware");
  std::optional<std::string_view> mode = next("mode");
  std::optional<std::string_view> state = next("state");
  if (!time || !ParseUtcStamp(*time, &backup.takenUtcMs) || !firmware || !mode || !state) {
    return BackupDamage::kBadField;
  }
  bool known = false;
  for (BackupState candidate : kStates) {
    if (*state == StateWord(candidate)) {
      backup.state = candidate;
      known = true;
    }
  }
  if (!known) {
    return BackupDamage::kBadField;
  }
  if (std::optional<std::string_view> global = next("global")) {
    GlobalConfig block{};
    if (!Unhex(*global, &block)) {
      return BackupDamage::kBadBlock;
    }
    backup.global = block;
  }
  if (std::optional<std::string_view> buttons = next("buttons")) {
    ButtonConfig block{};
    if (!Unhex(*buttons, &block)) {
      return BackupDamage::kBadBlock;
    }
    backup.buttons = block;
  }
  if (at != lines.size() - 2 || (!backup.global && !backup.buttons)) {
    return BackupDamage::kBadField;
  }
  // The readable copies of the version and mode must say what the block says.
  if (*firmware != ByteOrDash(backup.global, kFirmwareVersionByte) ||
      *mode != ByteOrDash(backup.global, kModeByte)) {
    return BackupDamage::kBadField;
  }
  *out = backup;
  return BackupDamage::kNone;
}

}  // namespace

std::string FormatBackup(const SavedBackup& backup) {
  std::string text;
  text += std::string(kTitle) + "\n";
  // A file of the first format stays one when it is rewritten, and so keeps its place.
  if (backup.sequence > 0) {
    text += "format " + std::to_string(kBackupFormatVersion) + "\n";
    text += "sequence " + std::to_string(backup.sequence) + "\n";
  } else {
    text += "format " + std::to_string(kUnnumberedFormatVersion) + "\n";
  }
  text += "time " + UtcStamp(backup.takenUtcMs) + "\n";
  text += "firmware " + ByteOrDash(backup.global, kFirmwareVersionByte) + "\n";
  text += "mode " + ByteOrDash(backup.global, kModeByte) + "\n";
  text += std::string("state ") + StateWord(backup.state) + "\n";
  if (backup.global) {
    text += "global " + Hex(backup.global->data(), backup.global->size()) + "\n";
  }
  if (backup.buttons) {
    text += "buttons " + Hex(backup.buttons->data(), backup.buttons->size()) + "\n";
  }
  char crc[20];
  std::snprintf(crc, sizeof(crc), "crc32 %08x\n", static_cast<unsigned>(Crc32(text)));
  return text + crc;
}

BackupDamage ParseBackup(std::string_view text, SavedBackup* out) {
  const std::vector<std::string_view> lines = SplitLines(text);
  if (lines.size() < 3) {
    // Cut off within its first two lines, or no backup at all.
    return kTitle.substr(0, lines[0].size()) == lines[0] ? BackupDamage::kTorn
                                                         : BackupDamage::kNotABackup;
  }
  if (lines[0] != kTitle) {
    return BackupDamage::kNotABackup;
  }
  int format = 0;
  std::optional<std::string_view> formatText = Field(lines[1], "format");
  if (!formatText || !ParseByte(*formatText, &format)) {
    return BackupDamage::kBadField;
  }
  if (format != kBackupFormatVersion && format != kUnnumberedFormatVersion) {
    return BackupDamage::kOtherFormat;
  }
  // Whole, the text ends with the CRC line and its newline (the empty last piece).
  std::optional<std::string_view> crcText = Field(lines[lines.size() - 2], "crc32");
  if (!lines.back().empty() || !crcText || crcText->size() != 8) {
    return BackupDamage::kTorn;
  }
  const size_t crcLineStart = text.size() - lines[lines.size() - 2].size() - 1;
  char expected[9];
  std::snprintf(expected, sizeof(expected), "%08x",
                static_cast<unsigned>(Crc32(text.substr(0, crcLineStart))));
  if (*crcText != expected) {
    return BackupDamage::kBadCrc;
  }
  return ParseFields(lines, format, out);
}

int64_t SequenceNamedIn(std::string_view text) {
  const std::vector<std::string_view> lines = SplitLines(text);
  int64_t sequence = 0;
  if (lines.size() < 4 || lines[0] != kTitle ||
      lines[1] != "format " + std::to_string(kBackupFormatVersion)) {
    return 0;
  }
  std::optional<std::string_view> value = Field(lines[2], "sequence");
  return value && ParseSequence(*value, &sequence) ? sequence : 0;
}

const char* DamageText(BackupDamage damage) {
  switch (damage) {
    case BackupDamage::kNone:
      return "sound";
    case BackupDamage::kNotABackup:
      return "not a backup";
    case BackupDamage::kOtherFormat:
      return "another format version";
    case BackupDamage::kTorn:
      return "torn";
    case BackupDamage::kBadCrc:
      return "checksum wrong";
    case BackupDamage::kBadBlock:
      return "a block of the wrong size";
    case BackupDamage::kBadField:
      return "a line missing or wrong";
    case BackupDamage::kUnreadable:
      return "unreadable";
  }
  return "damaged";
}

namespace {

// Each state as the file says it and as a list of backups shows it (a pending one stands out).
struct StateNames {
  BackupState state;
  const char* word;
  const char* label;
};

constexpr StateNames kStateNames[] = {
    {BackupState::kSaved, "saved", "saved"},
    {BackupState::kPending, "pending", "PENDING"},
    {BackupState::kWrittenBack, "written-back", "written back"},
    {BackupState::kDeclined, "declined", "not written back"},
    {BackupState::kSetAside, "set-aside", "set aside"},
};

const StateNames& NamesOf(BackupState state) {
  for (const StateNames& names : kStateNames) {
    if (names.state == state) {
      return names;
    }
  }
  return kStateNames[0];
}

}  // namespace

const char* StateWord(BackupState state) {
  return NamesOf(state).word;
}

const char* StateLabel(BackupState state) {
  return NamesOf(state).label;
}
