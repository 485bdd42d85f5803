// A saved copy of the controller's configuration as it is kept on disk: a short text file
// that a person can read, guarded by a CRC-32 so that a torn or damaged file is never
// written to the controller.
//
//   Padwright configuration backup
//   format 1
//   time 2026-12-07T17:53:16.123Z
//   firmware 3
//   mode 7
//   state pending
//   global 03434649...        (66 hexadecimal digits, when the global block is held)
//   buttons 030a1118...       (726 hexadecimal digits, when the button table is held)
//   crc32 1c291ca3            (over every byte before this line)
//
// `firmware` and `mode` are bytes 0 and 12 of the global block ("-" without one).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/ConfigBlocks.h"

inline constexpr int kBackupFormatVersion = 1;

// Whether a backup still has to go back to the controller.
enum class BackupState {
  kSaved,        // taken; nothing has been sent since that could change the controller
  kPending,      // a transfer began after it was taken: the controller's copy may be gone
  kWrittenBack,  // a restore of it completed
  kDeclined,     // the user chose not to write it back when asked
};

struct SavedBackup {
  int64_t takenUtcMs = 0;
  std::optional<GlobalConfig> global;
  std::optional<ButtonConfig> buttons;
  BackupState state = BackupState::kSaved;
};

// Why a file is not a backup to trust.
enum class BackupDamage {
  kNone,
  kNotABackup,   // its first line is not the title
  kOtherFormat,  // written in a format version this program does not read
  kTorn,         // it ends before its CRC line: the write was cut off
  kBadCrc,       // its bytes changed after it was written
  kBadBlock,     // a block of the wrong size, or not hexadecimal
  kBadField,     // a line missing, repeated, unknown or out of order, or no block at all
  kUnreadable,   // the file cannot be read at all
};

std::string FormatBackup(const SavedBackup& backup);
// kNone with `out` filled for a sound backup; otherwise the damage, `out` untouched.
BackupDamage ParseBackup(std::string_view text, SavedBackup* out);

// A few words on what is wrong, for the user ("torn", "checksum wrong", ...).
const char* DamageText(BackupDamage damage);
// "pending", "written back", ... as the state reads in the file, with "-" for a space.
const char* StateWord(BackupState state);
// The state as a list of backups shows it: "saved", "PENDING", "written back", "not written
// back".
const char* StateLabel(BackupState state);

// The file name of a backup taken at `utcMs`: "backup-2026-12-07T17-53-16.123Z.txt", which
// sorts by time. True for names of that form.
std::string BackupFileName(int64_t utcMs);
bool IsBackupFileName(std::string_view name);
