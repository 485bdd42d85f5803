// JSON as the history of runs keeps it: strings written with every character that needs it
// escaped, and a small reader for one line that others may have written (it checks the whole
// grammar, limits nesting and never trusts a length it was given).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Utf8Valid.h"

// `text` (UTF-8) as a JSON string literal, quotes included, in ASCII: quote and backslash
// escaped, control and all non-ASCII characters as \uXXXX; bytes that are not UTF-8 become
// U+FFFD.
std::string JsonString(std::string_view text);

// One JSON value as read. Numbers are kept only when they are whole and fit 64 bits.
struct JsonValue {
  enum class Type { kNull, kBool, kInteger, kString, kArray, kObject };
  Type type = Type::kNull;
  bool boolean = false;
  int64_t integer = 0;
  std::string text;  // a string's UTF-8 (U+FFFD for a lone surrogate)
  std::vector<JsonValue> items;
  std::vector<std::pair<std::string, JsonValue>> members;

  // The member called `name` of an object (the first, if repeated), or null.
  const JsonValue* Find(std::string_view name) const;
};

// Reads `text` as exactly one JSON value (spaces around it allowed). False for anything else:
// a cut line, a number with a fraction or out of range, nesting deeper than a few levels.
bool ParseJson(std::string_view text, JsonValue* value);
