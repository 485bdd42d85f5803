// The text of the window's "Update history" view: each run kept, newest first, as one line
// in the window's words and then its record as kept (one JSON object), so that the whole can
// be copied into a support request. Names others may have written are shown escaped.
#pragma once

#include <string>

#include "workflows/RunHistory.h"

// UTF-8, lines ended by CR LF as an edit control wants them.
std::string HistoryViewText(const KeptRuns& history);
