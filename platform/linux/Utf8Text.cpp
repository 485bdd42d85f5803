// UTF-8 <-> wide text, by hand: independent of the process's locale.
#include "platform/linux/Utf8Text.h"

#include "platform/Utf8Valid.h"

std::string ToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    AppendUtf8(out, static_cast<uint32_t>(c));
  }
  return out;
}

bool FromUtf8(const std::string& text, std::wstring& out) {
  std::wstring result;
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t extra = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
    } else if (lead >= 0x80) {
      return false;  // a continuation byte or a lead byte that no UTF-8 text has
    }
    char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
      if (i + k >= text.size()) {
        return false;
      }
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) {
        return false;
      }
      c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    static const char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      return false;
    }
    result += static_cast<wchar_t>(c);
    i += extra + 1;
  }
  out.swap(result);
  return true;
}
