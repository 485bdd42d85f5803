// Runs one command of padwright as its row in the table asks: the firmware file chosen and
// checked, the lock taken, the power switch and the battery checked,
// all before the controller is touched; then its handler over the terminal view.
#pragma once

#include "frontends/terminal/CommandLine.h"
#include "frontends/terminal/LinuxPlatform.h"

// The exit status of the command `request` names, run on `platform`.
int RunCommand(const CommandRequest& request, LinuxPlatform& platform);
