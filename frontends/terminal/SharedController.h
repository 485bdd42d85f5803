// Who else has the controller open: hidraw is never exclusive, and input daemons and Steam
// keep its nodes open and may write to them during an update. Said before update, recover
// and restore, and as a note by doctor; nothing is stopped.
#pragma once

#include <string>
#include <vector>

#include "frontends/terminal/CommandContext.h"
#include "platform/linux/DeviceHolders.h"

// The processes other than this one that hold a node of the controller or of its boot loader
// open. A user who is not root sees only their own.
std::vector<DeviceHolder> ControllerHolders();
// "NAME (pid N, UNIT) has the controller open; if the update fails, stop it first: sudo
// systemctl stop UNIT" (a user's unit: systemctl --user stop UNIT; no unit to stop: "close
// it first").
std::string HolderText(const DeviceHolder& holder);
// One line "padwright: <HolderText>" for each holder.
void NoticeControllerHolders(CommandContext& context);
