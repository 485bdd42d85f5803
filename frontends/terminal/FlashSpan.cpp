// The flash span of the padwright command (see FlashSpan.h).
#include "frontends/terminal/FlashSpan.h"

#include "frontends/terminal/InterruptGuard.h"
#include "frontends/terminal/LogindInhibitor.h"

void FlashSpan::Begin() {
  interrupt_guard::BeginFlash();  // first: the call to logind may take a moment
  if (!active_) {
    active_ = true;
    shutdownHold_ = HoldOffShutdown(log_);
  }
}

void FlashSpan::End() {
  shutdownHold_.reset();
  active_ = false;
  interrupt_guard::EndFlash();
}
