// The check before update and recover touch anything: does the machine run on a battery too
// low to see the update through? One that dies mid-transfer leaves the controller with only
// its boot loader. The rule is PowerAllowsUpgrade's alone; the sequences apply it again when
// they start. Applying it here first refuses before the command's notices and recover's HOME
// countdown, with the charge read and the ways on, which the sequences' status line lacks.
#pragma once

#include <string>

#include "platform/PowerSource.h"

// Reads `source` and applies the rule of PowerAllowsUpgrade. False with `reason` saying the
// charge it read and the ways on (the charger, or --ignore-battery for a wrong reading).
bool CheckBattery(PowerSource& source, std::string* reason);
