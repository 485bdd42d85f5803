// Who keeps the controller from this program, and what the user does once it is let go: a
// fact of the core, which each front end words.
#pragma once

#include "device/ControllerBlock.h"

// The way back once the controller is let go: read it again (the status line and the
// refusals), or write the saved configuration once more (the offer to try a restore again).
enum class KeptWayBack { kRefresh, kRetry };

struct KeptController {
  ControllerBlock block = ControllerBlock::kNone;  // kNone: nothing keeps it
  KeptWayBack wayBack = KeptWayBack::kRefresh;
};
