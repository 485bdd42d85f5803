// Text that others may have written (a file name in the history, say), made safe to print on
// a terminal: control characters (C0, DEL, C1), the bidirectional overrides and bytes that
// are not UTF-8 are shown as escapes instead of being sent to the terminal.
#pragma once

#include <string>
#include <string_view>

std::string EscapedText(std::string_view text);
