// Text made safe to print on a terminal (see EscapedText.h).
#include "platform/EscapedText.h"

#include <cstdint>
#include <cstdio>

#include "platform/Utf8Valid.h"

namespace {

// Code points that a terminal acts on or that reorder what it shows.
bool Unprintable(uint32_t code) {
  return code < 0x20 || (code >= 0x7F && code <= 0x9F) || (code >= 0x202A && code <= 0x202E) ||
         (code >= 0x2066 && code <= 0x2069) || code == 0x200E || code == 0x200F;
}

}  // namespace

std::string EscapedText(std::string_view text) {
  std::string out;
  for (size_t at = 0; at < text.size();) {
    const auto lead = static_cast<uint8_t>(text[at]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const std::string_view piece = text.substr(at, length);
    char escape[16];
    if (piece.size() != length || ValidUtf8(piece) != piece) {
      std::snprintf(escape, sizeof(escape), "\\x%02x", lead);  // not UTF-8: the byte alone
      out += escape;
      ++at;
      continue;
    }
    uint32_t code = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (size_t i = 1; i < length; ++i) {
      code = code << 6 | (static_cast<uint8_t>(piece[i]) & 0x3F);
    }
    if (code == '\\') {
      out += "\\\\";
    } else if (Unprintable(code)) {
      std::snprintf(escape, sizeof(escape), code < 0x100 ? "\\x%02x" : "\\u%04x", code);
      out += escape;
    } else {
      out.append(piece);
    }
    at += length;
  }
  return out;
}
