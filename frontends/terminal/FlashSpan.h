// The span in which the controller is being flashed (from the transfer's or a power cycle's
// start until the sequence frees the controller again): signals are put off and logind holds
// off a shutdown or reboot, so that neither can cut a transfer off half-way.
#pragma once

#include <cstdio>
#include <memory>

#include "frontends/terminal/LogindInhibitor.h"

class FlashSpan {
 public:
  // `log`: where to say that a shutdown could not be held off (null: nowhere).
  explicit FlashSpan(FILE* log) : log_(log) {}
  FlashSpan(const FlashSpan&) = delete;
  FlashSpan& operator=(const FlashSpan&) = delete;

  // Starts the span; a call within a span already begun changes nothing.
  void Begin();
  void End();

 private:
  FILE* log_;
  bool active_ = false;
  std::unique_ptr<InhibitorLock> shutdownHold_;
};
