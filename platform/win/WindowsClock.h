// The product's clock: the C runtime's clock() (wall time since the process started on
// Windows) and the kernel's Sleep().
#pragma once

#include "platform/Clock.h"

class WindowsClock final : public Clock {
 public:
  uint32_t NowMs() override;
  void SleepMs(uint32_t ms) override;
};

// Binds a WindowsClock for the whole process; called first thing by every Windows entry.
void BindWindowsClock();
