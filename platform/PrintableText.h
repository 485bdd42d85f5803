// Text that others named (file and process names, unit names, node paths, what /proc and
// sysfs list), made safe to print to a terminal and to quote in a command for the shell.
#pragma once

#include <string>
#include <string_view>

// `text` with every byte that could move the cursor, recolour or rewrite the terminal, or
// make the reader see what is not there, written as "\xNN" (one per byte): C0 controls and
// DEL, C1 controls (U+0080..U+009F), the bidirectional and invisible format marks, and bytes
// that are not UTF-8. With `keepNewlines`, '\n' stays as it is (for the program's own texts,
// some of which run over several lines). Backslashes stay as they are.
std::string EscapeControls(std::string_view text, bool keepNewlines = false);

// `word` as one word for a POSIX shell: unchanged when it holds only characters that the
// shell takes literally, else in single quotes; a word with bytes that EscapeControls
// escapes is written $'...' with those bytes as \xNN (bash, zsh, ksh and POSIX.1-2024
// shells), so that what the terminal shows can be typed or pasted as it stands.
std::string ShellQuote(std::string_view word);
