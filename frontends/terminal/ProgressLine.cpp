// Rendering of the terminal's progress line.
#include "frontends/terminal/ProgressLine.h"

namespace {

constexpr size_t kWidestBar = 30;
constexpr size_t kNarrowestBar = 10;

}  // namespace

std::string RenderProgressLine(uint64_t position, const std::string& text, size_t columns) {
  const size_t room = columns > 1 ? columns - 1 : 0;
  if (position > 1000) {
    position = 1000;
  }
  // "[" bar "] " text: the bar takes what the text leaves, within its bounds.
  size_t bar = room > text.size() + 3 ? room - text.size() - 3 : 0;
  bar = bar > kWidestBar ? kWidestBar : bar;
  if (bar < kNarrowestBar) {
    bar = room >= kNarrowestBar + 3 ? kNarrowestBar : 0;
  }
  std::string line;
  if (bar > 0) {
    const size_t filled = static_cast<size_t>(position * bar / 1000);
    line = "[" + std::string(filled, '#') + std::string(bar - filled, '-') + "] ";
  }
  line += text;
  if (line.size() > room) {
    line.resize(room);  // the progress text is ASCII, so no character is split
  }
  return line;
}
