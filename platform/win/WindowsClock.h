// The product's clock: GetTickCount64() counted from when it is made (first thing in the
// window's root) and the kernel's Sleep().
#pragma once

#include "platform/TickClock.h"

class WindowsClock final : public TickClock {
 public:
  WindowsClock();
};
