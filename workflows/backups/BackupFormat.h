// A saved copy of the controller's configuration as it is kept on disk: a short text file
// that a person can read, guarded by a CRC-32 so that a torn or damaged file is never
// written to the controller.
//
//   Padwright configuration backup
//   format 2
//   sequence 42               (one more than the highest in the folder when it was saved)
//   time 2026-12-07T17:53:16.123Z
//   firmware 3
//   mode 7
//   state pending
//   global 03434649...        (66 hexadecimal digits, when the global block is held)
//   buttons 030a1118...       (726 hexadecimal digits, when the button table is held)
//   crc32 1c291ca3            (over every byte before this line)
//
// `firmware` and `mode` are bytes 0 and 12 of the global block ("-" without one). Files of
// format 1, which have no sequence line, are still read: they come before numbered ones, so
// they count as older than all of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/ConfigBlocks.h"
#include "workflows/backups/BackupFileName.h"

inline constexpr int kBackupFormatVersion = 2;
// The format of the first files, without a sequence number; still read, and kept when one
// of them is rewritten.
inline constexpr int kUnnumberedFormatVersion = 1;
// The largest sequence number a backup may carry (15 digits). A folder whose sound backups
// have reached it takes no new backup: a longer number would make the new file unreadable.
inline constexpr int64_t kLargestSequence = 999999999999999;

// Whether a backup still has to go back to the controller.
enum class BackupState {
  kSaved,        // taken; nothing has been sent since that could change the controller
  kPending,      // a transfer began after it was taken: the controller's copy may be gone
  kWrittenBack,  // a restore of it completed
  kDeclined,     // the user chose not to write it back when asked
  kSetAside,     // read while another backup was pending: not the user's configuration, so
                 // never written back in that one's place
};

struct SavedBackup {
  // Orders the backups: the highest is the newest, whatever the clock said. 0 for a file of
  // format 1, which has none.
  int64_t sequence = 0;
  int64_t takenUtcMs = 0;
  std::optional<GlobalConfig> global;
  std::optional<ButtonConfig> buttons;
  BackupState state = BackupState::kSaved;
};

// Why a file is not a backup to trust.
enum class BackupDamage {
  kNone,
  kNotABackup,   // its first line is not the title
  kOtherFormat,  // names a format version this program never wrote
  kLaterFormat,  // written by a newer version of this program, in a format it cannot read
  kTorn,         // it ends before its CRC line: the write was cut off
  kBadCrc,       // its bytes changed after it was written
  kBadBlock,     // a block of the wrong size, or not hexadecimal
  kBadField,     // a line missing, repeated, unknown or out of order, or no block at all
  kUnreadable,   // the file cannot be read at all
};

std::string FormatBackup(const SavedBackup& backup);
// kNone with `out` filled for a sound backup; otherwise the damage, `out` untouched.
BackupDamage ParseBackup(std::string_view text, SavedBackup* out);
// The sequence number a file's text names, read even when the file is damaged (so that a
// damaged file keeps its place in the order and its number is never given again); 0 when
// it names none.
int64_t SequenceNamedIn(std::string_view text);
// The format version a file's second line names, read even when the file is damaged; 0 when
// it names none.
int FormatNamedIn(std::string_view text);
// Whether a file's text has the line "state pending", read even when the file is damaged.
bool PendingNamedIn(std::string_view text);

// A few words on what is wrong, for the user ("torn", "checksum wrong", ...).
const char* DamageText(BackupDamage damage);
