// What a main window under test is made with: a run context of the machine's clock alone (no
// power switch, power source, backup folder, probe or settings: none of them is looked at
// here) and a controller link with no controller behind it.
#pragma once

#include "device/win/ProductVexapad.h"
#include "platform/win/WindowsClock.h"
#include "workflows/RunContext.h"

struct FrameParts {
  WindowsClock clock;
  RunContext context{.clock = clock};
  CVexapad link{clock};
};
