// The message-map lookup as a function over rows: no window is needed, only the object whose
// handlers the rows name. What the dialog procedure makes of its result: ui/DialogReply.h.
#pragma once

#include <windows.h>

#include "ui/MessageMap.h"

// Walks `map` and then its base maps; within one map only the first matching row is used. A
// handler's (or PreCommand's / PreNotify's) nonzero result ends the lookup and is returned; a
// 0 goes on to the base map. Returns 0 when no map handles the message.
LRESULT DispatchMessageMaps(CDialogBase& target, const MessageMap* map, UINT message, WPARAM wParam,
                            LPARAM lParam);
