// A run's record as one line of JSON, and back. The line is read as untrusted: the history
// lies in a folder that a careless administrator (or a damaged disk) may have changed.
#pragma once

#include <string>
#include <string_view>

#include "workflows/RunRecord.h"

// The longest line the history reads; a longer one counts as damaged.
inline constexpr size_t kMaxRunLineBytes = 8192;

// One line, without its line end.
std::string RunRecordLine(const RunRecord& record);
// False for a line that is not a record of this shape (the record is then unspecified).
bool ParseRunRecordLine(std::string_view line, RunRecord* record);
