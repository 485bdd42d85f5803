// update and recover as one loop over the next step: an upgrade (normal or forced) or
// Initialize runs, then what it left decides the step after it, until the command exits.
// A failed update may lead to the forced upgrade (a boot loader waiting) or to Initialize
// (the transfer was cut), Initialize to the forced upgrade, and a failed forced upgrade on a
// boot loader that was there already to Initialize; after a whole recovery nothing more is
// offered. Every step runs in this process, so the recovery restores what this run read.
#pragma once

#include "frontends/terminal/CommandContext.h"

// How a forced upgrade was reached, which decides what it may promise and offer again.
enum class Attempt {
  kUpgrade,          // the normal upgrade: the recovery that fits is offered
  kForcedUpgrade,    // the forced upgrade alone, on a boot loader that was there already:
                     // the recovery through Initialize is offered
  kAfterInitialize,  // the whole recovery: nothing more is offered, the command is named
};

struct FlashStep {
  enum class Kind { kUpgrade, kInitialize, kForcedUpgrade, kExit };
  Kind kind;
  Attempt attempt = Attempt::kUpgrade;  // kForcedUpgrade: how it was reached
  int status = kExitSuccess;            // kExit: the exit status; kInitialize: the exit
                                        // status when the user cancels it
};

// Runs the steps from `first` on; the exit status of the command.
int RunFlashSteps(CommandContext& context, FlashStep first);
