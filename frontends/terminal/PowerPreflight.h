// The check before update and recover touch anything: can the power switch be reached? A
// transfer without the power cycle after it would leave the controller in its boot loader.
// The sequences ask PowerSwitchUsable again when they start; asking it here first refuses
// before the command's notices and recover's HOME countdown, with the cause and its remedy,
// which the sequences' status line does not give.
#pragma once

#include <string>

#include "platform/linux/DevMemPhysicalMemory.h"

// Maps the power byte once, reading only. False with `reason` naming the cause (not root,
// kernel lockdown, CONFIG_STRICT_DEVMEM, no /dev/mem) and what to do about it.
bool CheckPowerSwitch(DevMemPhysicalMemory& memory, std::string* reason);
// Why `memory` failed last, and the remedy: the reason above without its first words.
std::string DescribePowerSwitchFailure(const DevMemPhysicalMemory& memory);
