// What is there after an upgrade failed: the command says what happened instead of one text
// for every failure. Only a transfer that began can have left the controller without
// firmware; before it, nothing on the controller was changed, and what answers now decides
// what helps.
#pragma once

#include "frontends/terminal/CommandLink.h"

enum class FailedUpgrade {
  kTransferCut,        // the transfer began: the recovery, with HOME held, brings it back
  kBootLoaderWaiting,  // nothing sent, but only the boot loader answers: write the firmware
  kNoController,       // nothing sent, and nothing of the controller is there
  kNotAnswering,       // nothing sent: the controller is there but did not answer
  kNoRestart,          // nothing sent: the controller did not restart into its boot loader
};

// Judges from how far `link` got and from the hidraw nodes present now (sysfs only: nothing
// is opened or sent).
FailedUpgrade DiagnoseFailedUpgrade(const CommandLink& link);

// Whether the boot loader's node is present now.
bool BootLoaderPresent();
