// Escaping and shell quoting of text that others named (see PrintableText.h).
#include "platform/PrintableText.h"

#include <cstdint>
#include <cstdio>

namespace {

// The length of the UTF-8 sequence at `at` when it is a well-formed one (shortest form, no
// surrogates, at most U+10FFFF), else 0; `code` gets its code point.
size_t Utf8Sequence(std::string_view text, size_t at, uint32_t* code) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(at);
  size_t length = 0;
  uint32_t value = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07u;
  } else {
    return 0;
  }
  if (at + length > text.size()) {
    return 0;
  }
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0u) != 0x80u) {
      return 0;
    }
    value = (value << 6) | (byte(at + i) & 0x3Fu);
  }
  const uint32_t smallest = length == 2 ? 0x80u : length == 3 ? 0x800u : 0x10000u;
  if (value < smallest || value > 0x10FFFFu || (value >= 0xD800u && value <= 0xDFFFu)) {
    return 0;
  }
  *code = value;
  return length;
}

// Marks that change how the text around them is shown without showing themselves: the
// bidirectional marks, embeddings, overrides and isolates, the zero-width characters, and
// the line and paragraph separators.
bool IsHiddenMark(uint32_t code) {
  return code == 0x061C || (code >= 0x200B && code <= 0x200F) ||
         (code >= 0x2028 && code <= 0x202E) || (code >= 0x2060 && code <= 0x2069) || code == 0xFEFF;
}

// How many bytes at `at` are to be escaped (0: none, the character is printed as it is);
// `printable` gets the length of the character when it is printed as it is.
size_t EscapedLength(std::string_view text, size_t at, bool keepNewlines, size_t* printable) {
  const auto lead = static_cast<uint8_t>(text[at]);
  *printable = 1;
  if (lead < 0x80) {
    const bool control = lead < 0x20 || lead == 0x7F;
    return control && !(keepNewlines && lead == '\n') ? 1 : 0;
  }
  uint32_t code = 0;
  const size_t length = Utf8Sequence(text, at, &code);
  if (length == 0) {
    return 1;  // not UTF-8: one byte at a time
  }
  if ((code >= 0x80 && code <= 0x9F) || IsHiddenMark(code)) {
    return length;
  }
  *printable = length;
  return 0;
}

void AppendHex(std::string& out, uint8_t byte) {
  char hex[5];
  std::snprintf(hex, sizeof(hex), "\\x%02x", byte);
  out += hex;
}

// Characters that a POSIX shell takes literally anywhere in a word ('=' is not among them: a
// first word "a=b" would be taken as an assignment; '~' starts a home folder).
bool IsShellLiteral(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '.' || c == '/' || c == ',' || c == ':' || c == '@' || c == '%' ||
         c == '+';
}

}  // namespace

std::string EscapeControls(std::string_view text, bool keepNewlines) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    size_t printable = 0;
    const size_t escaped = EscapedLength(text, at, keepNewlines, &printable);
    for (size_t i = 0; i < escaped; ++i) {
      AppendHex(out, static_cast<uint8_t>(text[at + i]));
    }
    if (escaped == 0) {
      out.append(text.substr(at, printable));
    }
    at += escaped != 0 ? escaped : printable;
  }
  return out;
}

std::string ShellQuote(std::string_view word) {
  bool literal = !word.empty();
  for (char c : word) {
    literal = literal && IsShellLiteral(c);
  }
  if (literal) {
    return std::string(word);
  }
  if (EscapeControls(word) == word) {
    std::string out = "'";
    for (char c : word) {
      out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
  }
  // $'...': a backslash and a quote are escaped, and so is every byte that is escaped for
  // the terminal; the rest stands as it is.
  std::string out = "$'";
  for (size_t at = 0; at < word.size();) {
    size_t printable = 0;
    const size_t escaped = EscapedLength(word, at, false, &printable);
    for (size_t i = 0; i < escaped; ++i) {
      AppendHex(out, static_cast<uint8_t>(word[at + i]));
    }
    if (escaped == 0) {
      const char c = word[at];
      out +=
          c == '\\' || c == '\'' ? std::string("\\") + c : std::string(word.substr(at, printable));
    }
    at += escaped != 0 ? escaped : printable;
  }
  return out + "'";
}
