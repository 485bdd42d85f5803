// The message-map lookup as a function over rows, and what the dialog procedure makes of its
// result: no window is needed, only the object whose handlers the rows name.
#pragma once

#include <windows.h>

#include "ui/MessageMap.h"

// Walks `map` and then its base maps; within one map only the first matching row is used. A
// handler's (or PreCommand's / PreNotify's) nonzero result ends the lookup and is returned; a
// 0 goes on to the base map. Returns 0 when no map handles the message.
LRESULT DispatchMessageMaps(CDialogBase& target, const MessageMap* map, UINT message, WPARAM wParam,
                            LPARAM lParam);

// What the dialog procedure returns for a lookup's result, and the message result it stores
// first (DWLP_MSGRESULT) when `store` is set. 0 (not handled): FALSE, nothing stored, so the
// dialog manager's default applies. kResultFalse: TRUE, with FALSE as the message's result.
// Any other result r: r, stored as the message's result.
struct DialogReply {
  INT_PTR procResult;
  bool store;
  LRESULT messageResult;
};
DialogReply DialogReplyFor(LRESULT lookupResult);
