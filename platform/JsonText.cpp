// JSON strings written and one line read (see JsonText.h).
#include "platform/JsonText.h"

#include "platform/Utf8Valid.h"

#include <limits>

namespace {

constexpr int kMaxDepth = 8;

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  bool Document(JsonValue* value) {
    SkipSpace();
    if (!Value(value, 0)) {
      return false;
    }
    SkipSpace();
    return at_ == text_.size();
  }

 private:
  bool Value(JsonValue* value, int depth) {
    if (depth > kMaxDepth || at_ >= text_.size()) {
      return false;
    }
    switch (text_[at_]) {
      case '{':
        return Object(value, depth);
      case '[':
        return Array(value, depth);
      case '"':
        value->type = JsonValue::Type::kString;
        return String(&value->text);
      case 't':
        value->type = JsonValue::Type::kBool;
        value->boolean = true;
        return Word("true");
      case 'f':
        value->type = JsonValue::Type::kBool;
        return Word("false");
      case 'n':
        value->type = JsonValue::Type::kNull;
        return Word("null");
      default:
        value->type = JsonValue::Type::kInteger;
        return Integer(&value->integer);
    }
  }

  bool Object(JsonValue* value, int depth) {
    value->type = JsonValue::Type::kObject;
    ++at_;
    SkipSpace();
    if (Take('}')) {
      return true;
    }
    do {
      SkipSpace();
      std::pair<std::string, JsonValue> member;
      if (at_ >= text_.size() || text_[at_] != '"' || !String(&member.first)) {
        return false;
      }
      SkipSpace();
      if (!Take(':')) {
        return false;
      }
      SkipSpace();
      if (!Value(&member.second, depth + 1)) {
        return false;
      }
      value->members.push_back(std::move(member));
      SkipSpace();
    } while (Take(','));
    return Take('}');
  }

  bool Array(JsonValue* value, int depth) {
    value->type = JsonValue::Type::kArray;
    ++at_;
    SkipSpace();
    if (Take(']')) {
      return true;
    }
    do {
      SkipSpace();
      JsonValue item;
      if (!Value(&item, depth + 1)) {
        return false;
      }
      value->items.push_back(std::move(item));
      SkipSpace();
    } while (Take(','));
    return Take(']');
  }

  bool Hex4(uint32_t* code) {
    if (at_ + 4 > text_.size()) {
      return false;
    }
    *code = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) {
        return false;
      }
      *code = *code << 4 | static_cast<uint32_t>(digit);
    }
    return true;
  }

  // After "\u": one code point, a surrogate pair joined; a lone surrogate is U+FFFD.
  bool Unicode(std::string* out) {
    uint32_t code = 0;
    if (!Hex4(&code)) {
      return false;
    }
    if (code >= 0xD800 && code <= 0xDBFF && text_.substr(at_, 2) == "\\u") {
      const size_t back = at_;
      at_ += 2;
      uint32_t low = 0;
      if (!Hex4(&low)) {
        return false;
      }
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(*out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
        return true;
      }
      at_ = back;  // not a pair: the second escape is read on its own
    }
    if (code >= 0xD800 && code <= 0xDFFF) {
      *out += kUtf8Replacement;
    } else {
      AppendUtf8(*out, code);
    }
    return true;
  }

  bool Escape(std::string* out) {
    if (at_ >= text_.size()) {
      return false;
    }
    const char c = text_[at_++];
    switch (c) {
      case '"':
      case '\\':
      case '/':
        *out += c;
        return true;
      case 'b':
        *out += '\b';
        return true;
      case 'f':
        *out += '\f';
        return true;
      case 'n':
        *out += '\n';
        return true;
      case 'r':
        *out += '\r';
        return true;
      case 't':
        *out += '\t';
        return true;
      case 'u':
        return Unicode(out);
      default:
        return false;
    }
  }

  bool String(std::string* out) {
    ++at_;  // the opening quote
    std::string raw;
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '"') {
        ++at_;
        *out = ValidUtf8(raw);
        return true;
      }
      if (static_cast<uint8_t>(c) < 0x20) {
        return false;  // JSON has no raw control characters in a string
      }
      ++at_;
      if (c == '\\') {
        if (!Escape(&raw)) {
          return false;
        }
      } else {
        raw += c;
      }
    }
    return false;
  }

  bool Integer(int64_t* out) {
    const bool negative = Take('-');
    if (at_ >= text_.size() || text_[at_] < '0' || text_[at_] > '9' ||
        (text_[at_] == '0' && at_ + 1 < text_.size() && text_[at_ + 1] >= '0' &&
         text_[at_ + 1] <= '9')) {
      return false;
    }
    uint64_t magnitude = 0;
    const uint64_t limit = uint64_t{std::numeric_limits<int64_t>::max()} + (negative ? 1 : 0);
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
      const uint64_t digit = static_cast<uint64_t>(text_[at_++] - '0');
      if (magnitude > (limit - digit) / 10) {
        return false;
      }
      magnitude = magnitude * 10 + digit;
    }
    if (at_ < text_.size() && (text_[at_] == '.' || text_[at_] == 'e' || text_[at_] == 'E')) {
      return false;
    }
    *out = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
  }

  bool Word(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) {
      return false;
    }
    at_ += word.size();
    return true;
  }

  bool Take(char c) {
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  void SkipSpace() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r' || text_[at_] == '\n')) {
      ++at_;
    }
  }

  std::string_view text_;
  size_t at_ = 0;
};

}  // namespace

std::string JsonString(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  const auto escape = [](std::string& out, uint32_t unit) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
      out += kHex[(unit >> shift) & 0x0F];
    }
  };
  const std::string valid = ValidUtf8(text);
  std::string out = "\"";
  for (size_t i = 0; i < valid.size(); ++i) {
    const auto byte = static_cast<uint8_t>(valid[i]);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte < 0x20 || byte == 0x7F) {
      escape(out, byte);
    } else if (byte < 0x80) {
      out += static_cast<char>(byte);
    } else {
      // Every other character as \uXXXX too: the line stays ASCII, so that a terminal's
      // escaping of bidirectional marks or C1 controls never turns it into what JSON is not.
      const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
      uint32_t code = byte & (0xFF >> (length + 1));
      for (size_t k = 1; k < length && i + 1 < valid.size(); ++k) {
        code = (code << 6) | (static_cast<uint8_t>(valid[++i]) & 0x3F);
      }
      if (code >= 0x10000) {
        escape(out, 0xD800 + ((code - 0x10000) >> 10));
        escape(out, 0xDC00 + ((code - 0x10000) & 0x3FF));
      } else {
        escape(out, code);
      }
    }
  }
  return out + "\"";
}

const JsonValue* JsonValue::Find(std::string_view name) const {
  for (const auto& [key, value] : members) {
    if (key == name) {
      return &value;
    }
  }
  return nullptr;
}

bool ParseJson(std::string_view text, JsonValue* value) {
  *value = JsonValue{};
  return Reader(text).Document(value);
}
