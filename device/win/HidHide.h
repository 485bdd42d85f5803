// Whether HidHide, the filter driver that hides game controllers from all but the programs a
// user allows, is installed: its control device \\.\HidHide exists exactly then.
#pragma once

// True when \\.\HidHide opens, or fails for any reason but its absence (a user who is not
// allowed to configure HidHide gets "access denied", yet it is there).
bool HidHideInstalled();
