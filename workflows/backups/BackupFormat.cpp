// The on-disk text of a saved configuration backup (see BackupFormat.h).
#include "workflows/backups/BackupFormat.h"

#include <cstdio>
#include <vector>

#include "platform/Crc32.h"
#include "platform/TimeText.h"
#include "workflows/backups/BackupText.h"
#include "workflows/backups/BackupStateNames.h"

using backup_text::Field;
using backup_text::Hex;
using backup_text::ParseByte;
using backup_text::ParseSequence;
using backup_text::SplitLines;
using backup_text::Unhex;

namespace {

constexpr std::string_view kTitle = "Padwright configuration backup";

std::string ByteOrDash(const std::optional<GlobalConfig>& global, size_t byte) {
  return global ? std::to_string((*global)[byte]) : "-";
}

// The fields between the format line and the CRC line, taken one after the other in their
// order: a field that is missing, out of order or repeated is not taken.
class FieldCursor {
 public:
  explicit FieldCursor(const std::vector<std::string_view>& lines) : lines_(lines) {}
  std::optional<std::string_view> Next(std::string_view key) {
    if (at_ < lines_.size() - 2) {
      if (std::optional<std::string_view> value = Field(lines_[at_], key)) {
        ++at_;
        return value;
      }
    }
    return std::nullopt;
  }
  bool AllTaken() const { return at_ == lines_.size() - 2; }

 private:
  const std::vector<std::string_view>& lines_;
  size_t at_ = 2;
};

// The sequence (not in format 1), the time and the state; `firmware` and `mode` as written,
// to be checked against the global block.
BackupDamage ParseHeader(FieldCursor& fields, int format, SavedBackup* backup,
                         std::string_view* firmware, std::string_view* mode) {
  if (format != kUnnumberedFormatVersion) {
    std::optional<std::string_view> sequence = fields.Next("sequence");
    if (!sequence || !ParseSequence(*sequence, &backup->sequence)) {
      return BackupDamage::kBadField;
    }
  }
  std::optional<std::string_view> time = fields.Next("time");
  std::optional<std::string_view> firmwareText = fields.Next("firmware");
  std::optional<std::string_view> modeText = fields.Next("mode");
  std::optional<std::string_view> state = fields.Next("state");
  if (!time || !ParseUtcStamp(*time, &backup->takenUtcMs) || !firmwareText || !modeText || !state ||
      !StateFromWord(*state, &backup->state)) {
    return BackupDamage::kBadField;
  }
  *firmware = *firmwareText;
  *mode = *modeText;
  return BackupDamage::kNone;
}

// The blocks held, each optional but at least one.
BackupDamage ParseBlocks(FieldCursor& fields, SavedBackup* backup) {
  if (std::optional<std::string_view> global = fields.Next("global")) {
    GlobalConfig block{};
    if (!Unhex(*global, &block)) {
      return BackupDamage::kBadBlock;
    }
    backup->global = block;
  }
  if (std::optional<std::string_view> buttons = fields.Next("buttons")) {
    ButtonConfig block{};
    if (!Unhex(*buttons, &block)) {
      return BackupDamage::kBadBlock;
    }
    backup->buttons = block;
  }
  return fields.AllTaken() && (backup->global || backup->buttons) ? BackupDamage::kNone
                                                                  : BackupDamage::kBadField;
}

BackupDamage ParseFields(const std::vector<std::string_view>& lines, int format, SavedBackup* out) {
  FieldCursor fields(lines);
  SavedBackup backup;
  std::string_view firmware;
  std::string_view mode;
  BackupDamage damage = ParseHeader(fields, format, &backup, &firmware, &mode);
  if (damage == BackupDamage::kNone) {
    damage = ParseBlocks(fields, &backup);
  }
  if (damage != BackupDamage::kNone) {
    return damage;
  }
  // The readable copies of the version and mode must say what the block says.
  if (firmware != ByteOrDash(backup.global, kFirmwareVersionByte) ||
      mode != ByteOrDash(backup.global, kModeByte)) {
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
  if (format > kBackupFormatVersion) {
    return BackupDamage::kLaterFormat;
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

int FormatNamedIn(std::string_view text) {
  const std::vector<std::string_view> lines = SplitLines(text);
  int format = 0;
  if (lines.size() < 2 || lines[0] != kTitle) {
    return 0;
  }
  std::optional<std::string_view> value = Field(lines[1], "format");
  return value && ParseByte(*value, &format) ? format : 0;
}

bool PendingNamedIn(std::string_view text) {
  const std::string pending = std::string("state ") + StateWord(BackupState::kPending);
  for (std::string_view line : SplitLines(text)) {
    if (line == pending) {
      return true;
    }
  }
  return false;
}

const char* DamageText(BackupDamage damage) {
  switch (damage) {
    case BackupDamage::kNone:
      return "sound";
    case BackupDamage::kNotABackup:
      return "not a backup";
    case BackupDamage::kOtherFormat:
      return "another format version";
    case BackupDamage::kLaterFormat:
      return "a newer format version";
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
