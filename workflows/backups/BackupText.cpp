// The small pieces of a saved backup's text (see BackupText.h).
#include "workflows/backups/BackupText.h"

namespace backup_text {

namespace {

// Enough for any number a folder will reach, and never near overflow when one is added.
constexpr size_t kLongestSequence = 15;

}  // namespace

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

std::optional<std::string_view> Field(std::string_view line, std::string_view key) {
  if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != ' ') {
    return std::nullopt;
  }
  return line.substr(key.size() + 1);
}

}  // namespace backup_text
