// Conversions between the core's wide texts and the UTF-8 of Linux paths and terminals.
#pragma once

#include <string>

// UTF-8 of a wide text; characters that cannot be encoded become U+FFFD.
std::string ToUtf8(const std::wstring& text);
// The wide text of UTF-8 bytes; false for bytes that are not valid UTF-8 (a file name in
// another encoding), with `out` left as it was.
bool FromUtf8(const std::string& text, std::wstring& out);
