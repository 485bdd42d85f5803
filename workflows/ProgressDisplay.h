// The progress display of a firmware transfer: the body of the callback that the transfer
// calls after each acknowledged packet, throttled to about ten updates a second.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/Clock.h"
#include "workflows/SequenceView.h"

// Shows (done, total) on the bar and in the status line, unless the last update was at most
// 100 ms ago on `clock`; the final call (done == total) always shows. `startMs` is when the
// sequence began; `lastUpdateMs` is read and, after an update, set to a reading taken once the text
// is shown.
void ShowProgress(Clock& clock, SequenceView& view, size_t done, size_t total, uint32_t startMs,
                  uint32_t& lastUpdateMs);

// A callback over ShowProgress. It refers to the two readings, which must outlive the
// transfer it is handed to.
std::function<void(size_t, size_t)> MakeProgressCallback(Clock& clock, SequenceView& view,
                                                         const uint32_t& startMs,
                                                         uint32_t& lastUpdateMs);
