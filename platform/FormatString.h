// printf-style formatting into a wide string of whatever length the text needs.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

// The text that the C standard's wide printf family gives for `format` and the arguments
// (%d int, %zu size_t, %lf double, %% a percent sign). A text too long for the largest
// buffer comes back cut, ending in one zero character.
std::wstring FormatString(const wchar_t* format, ...);

namespace format_string_internal {

// The buffer starts at this many characters and doubles while the text does not fit...
constexpr size_t kFirstBufferChars = 260;
// ...and grows no further once it holds at least this many.
constexpr size_t kGrowthLimitChars = 0x4000000;

// FormatString with the growth limit as a parameter, so that the cut can be shown without
// buffers of hundreds of megabytes. Stores the number of formatting passes in *passes when
// `passes` is not null.
std::wstring FormatWithLimit(size_t growthLimit, unsigned* passes, const wchar_t* format,
                             va_list args);

}  // namespace format_string_internal
