// The product's clock: GetTickCount64() counted from the process's start (when the clock is
// bound, first thing in every Windows entry) and the kernel's Sleep().
#pragma once

#include "platform/TickClock.h"

class WindowsClock final : public TickClock {
 public:
  WindowsClock();
};

// Binds a WindowsClock for the whole process; called first thing by every Windows entry.
void BindWindowsClock();
