// FormatString: format into a buffer of 260 wide characters, doubling it until the text fits.
#include "platform/FormatString.h"

#include <cwchar>

namespace format_string_internal {
namespace {

// Bounded, truncating wide formatting with the C standard's conversions. Returns the number
// of characters written, or -1 when the text did not fit; then the buffer holds the text cut
// to size - 1 characters followed by a zero.
int FormatInto(wchar_t* buffer, size_t size, const wchar_t* format, va_list args) {
#if defined(_MSC_VER)
  // The UCRT's formatter follows the C standard for these conversions.
  int written = _vsnwprintf_s(buffer, size, _TRUNCATE, format, args);
#elif defined(__MINGW32__)
  // msvcrt's wide printf is not C99 (no %zu on older systems, %lf quirks), so call MinGW's
  // own formatter by name: it is linked into the program, not looked up in msvcrt.dll. It
  // returns the length the whole text needs, like C99's vsnprintf.
  int written = __mingw_vsnwprintf(buffer, size, format, args);
  if (written >= 0 && static_cast<size_t>(written) >= size) {
    written = -1;
  }
#else
  // glibc returns -1 when the text does not fit and leaves the cut text unterminated.
  int written = std::vswprintf(buffer, size, format, args);
#endif
  if (written < 0) {
    buffer[size - 1] = L'\0';
    return -1;
  }
  return written;
}

}  // namespace

std::wstring FormatWithLimit(size_t growthLimit, unsigned* passes, const wchar_t* format,
                             va_list args) {
  size_t size = kFirstBufferChars;
  std::wstring result(size, L'\0');
  unsigned count = 0;
  for (;;) {
    ++count;
    va_list pass;
    va_copy(pass, args);
    int written = FormatInto(result.data(), size, format, pass);
    va_end(pass);
    if (written >= 0) {
      result.resize(static_cast<size_t>(written));
      break;
    }
    if (size >= growthLimit) {
      break;
    }
    size *= 2;
    result.assign(size, L'\0');
  }
  if (passes != nullptr) {
    *passes = count;
  }
  return result;
}

}  // namespace format_string_internal

std::wstring FormatString(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring result = format_string_internal::FormatWithLimit(
      format_string_internal::kGrowthLimitChars, nullptr, format, args);
  va_end(args);
  return result;
}
