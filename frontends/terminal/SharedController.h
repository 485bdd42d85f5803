// Who else has the controller open: hidraw is never exclusive, and input daemons and Steam
// keep its nodes open and may write to them during an update. Said before update, recover
// and restore, and as a note by doctor; nothing is stopped.
#pragma once

#include <string>
#include <vector>

#include "frontends/terminal/CommandContext.h"
#include "platform/linux/DeviceHolders.h"

// The device numbers of the nodes of the controller and of its boot loader.
std::vector<dev_t> ControllerNodeNumbers();
// The processes other than this one that hold a node of the controller or of its boot loader
// open. A user who is not root sees only their own.
std::vector<DeviceHolder> ControllerHolders();
// "NAME (pid N, UNIT) has the controller open; if the update fails, stop it first: sudo
// systemctl stop UNIT" (a unit of this user's manager: systemctl --user stop UNIT; of
// another user's: sudo systemctl --user -M USER@ stop UNIT; a unit that is no plain unit
// name: "stop it first", no command; no unit to stop: "close it first"). The names are
// escaped, the command quoted for the shell.
std::string HolderText(const DeviceHolder& holder);
// One line "padwright: <HolderText>" for each holder.
void NoticeControllerHolders(CommandContext& context);
