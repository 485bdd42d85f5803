// The one line that shows a firmware transfer on a terminal: a bar and the window's progress
// text, fitted to the terminal's width so that redrawing it in place never wraps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// `position` runs from 0 to 1000 as on the window's bar; `text` is the progress text. The
// result has at most `columns` - 1 characters (the last column would make some terminals
// wrap); the bar shrinks first, then the text is cut.
std::string RenderProgressLine(uint64_t position, const std::string& text, size_t columns);
