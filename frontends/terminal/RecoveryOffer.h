// What the command says after a failed upgrade, and the recovery it offers: it starts by
// itself after a countdown unless the user types n (the handheld's own controller, its usual
// input, may be the device that failed), and without a terminal the command to run is named.
#pragma once

#include "frontends/terminal/CommandContext.h"

// The recovery that fits what a failed upgrade left.
enum class Recovery { kNone, kThroughInitialize, kForcedUpgrade };

// Says what a failed upgrade left on the controller, and which recovery fits it.
// `backedUpBeforeTransfer`: the configuration was read and saved before this transfer, so
// the recovery restores that.
Recovery ExplainFailedUpgrade(CommandContext& context, bool backedUpBeforeTransfer);
// The offer of the recovery; true when it is to start now.
bool OfferRecovery(CommandContext& context);
// Asks for HOME to be held before Initialize power-cycles the controller; on a terminal the
// recovery then starts after a countdown (n cancels it). False when it is cancelled.
bool AskToHoldHome(CommandContext& context);
// The terminal's question after a restore failed: try once more? (Y is the default.)
bool AskRestoreAgain(CommandContext& context);
