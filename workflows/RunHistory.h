// The history of runs: one line of JSON per run (RunRecordJson.h) in the file history.jsonl
// beside the saved backups, in the same folder and under the same rules; the newest
// kKeptRuns lines kept. A line that is not a record is skipped and counted, never trusted.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/BackupFolder.h"
#include "workflows/RunRecord.h"
#include "workflows/RunRecordJson.h"

inline constexpr size_t kKeptRuns = 500;
inline constexpr char kHistoryFileName[] = "history.jsonl";
// The largest history file read: kKeptRuns lines of the longest length read.
inline constexpr size_t kLargestHistoryBytes = kKeptRuns * (kMaxRunLineBytes + 1);

struct KeptRuns {
  std::vector<RunRecord> records;  // oldest first
  size_t damaged = 0;              // lines that were not records
};

// The lines of `text` as records; blank lines are not counted.
KeptRuns ParseRunHistory(std::string_view text);
// `existing` with the line of `record` added at the end and only the newest kKeptRuns lines
// kept (a last line cut off in the middle is ended first, so the new line stays whole).
std::string AppendedHistoryText(std::string_view existing, const RunRecord& record);

// Adds `record` to `folder`'s history; false when it could not be written.
bool AppendRunRecord(BackupFolder* folder, const RunRecord& record);
// Reads `folder`'s history; a missing file is an empty history. False when
// there is no folder or the file cannot be read.
bool ReadRunHistory(BackupFolder* folder, KeptRuns* history);
