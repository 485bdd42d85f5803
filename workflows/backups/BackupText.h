// The small pieces a saved backup's text is made of: hexadecimal blocks, decimal numbers,
// lines and "key value" fields. Strict: anything but the exact form is refused.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace backup_text {

// Lower-case hexadecimal digits, two a byte.
std::string Hex(const uint8_t* bytes, size_t count);
// The value of one hexadecimal digit of either case, -1 for any other character.
int HexDigit(char c);

// Exactly 2 * N hexadecimal digits into `out`; false for any other text.
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

// A decimal number from 0 to 255 of at most three digits.
bool ParseByte(std::string_view text, int* value);
// A sequence number: 1 or more, in decimal digits without a leading zero, short enough
// never to overflow when one is added.
bool ParseSequence(std::string_view text, int64_t* value);
// The text's lines, each without its newline; the last one is what follows the last newline.
std::vector<std::string_view> SplitLines(std::string_view text);
// The value of the line "key value", or nothing when the line has another key.
std::optional<std::string_view> Field(std::string_view line, std::string_view key);

}  // namespace backup_text
