// UTF-8 as the history of runs keeps its text: checked, and written from code points.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// U+FFFD, which stands for what is not UTF-8.
inline constexpr char kUtf8Replacement[] = "\xEF\xBF\xBD";

// `text` with every byte sequence that is not UTF-8 (overlong, a surrogate, cut off, beyond
// U+10FFFF) replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);
// Appends the code point `code` to `out` as UTF-8; U+FFFD for a surrogate or a number beyond
// U+10FFFF, which are no code points.
void AppendUtf8(std::string& out, uint32_t code);
