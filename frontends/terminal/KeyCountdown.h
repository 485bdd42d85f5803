// A countdown on the terminal that goes ahead by itself: a handheld's own controller, its
// usual input, may be the very device that has just failed, so nothing may wait for Enter.
// One key is enough: n stops it, Enter or y goes ahead at once.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

enum class CountdownEnd {
  kElapsed,   // no key: go ahead
  kGoNow,     // Enter or y
  kDeclined,  // n
};

// Shows `line(secondsLeft)` on `out`, redrawn in place each second from `seconds` down to 1
// and, unless declined, `line(0)` as it goes ahead, while terminal `inFd` gives each key at
// once, without echo. The terminal's own mode comes
// back when this returns, and also when a signal stops the command meanwhile. Keys typed
// before the countdown began are dropped, so a key pressed in alarm during a transfer does
// not answer a question not yet asked.
CountdownEnd RunCountdown(int inFd, FILE* out, int seconds,
                          const std::function<std::string(int)>& line);
