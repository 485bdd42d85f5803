// Helpers of the end-to-end tests of the padwright binary (see PadwrightCommandTest.h).
#include "tests/linux/terminal/support/PadwrightCommandTest.h"

// Whether `text` holds each of `parts`, in this order.
bool InOrder(const std::string& text, std::initializer_list<std::string> parts) {
  size_t at = 0;
  for (const std::string& part : parts) {
    at = text.find(part, at);
    if (at == std::string::npos) {
      ADD_FAILURE() << "missing or out of order: " << part << "\n--- output:\n" << text;
      return false;
    }
    at += part.size();
  }
  return true;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
