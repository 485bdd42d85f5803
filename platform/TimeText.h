// Times of day as text: the UTC stamp that names and dates what is kept on disk, and the
// local minute that the user is shown.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "2026-12-07T17:53:16.123Z" for milliseconds since 1970-01-01 UTC.
std::string UtcStamp(int64_t utcMs);
// The milliseconds of a stamp made by UtcStamp; false for any other text.
bool ParseUtcStamp(std::string_view text, int64_t* utcMs);
// "2026-12-07 18:53" in the machine's local time zone.
std::wstring LocalMinuteText(int64_t utcMs);
