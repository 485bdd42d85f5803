// The frame every sequence runs in, so that each front end sees the same shape: started, its
// device steps as one span of device work, then its outcome (which may hold the device
// again, for a Retry), then ended.
#pragma once

#include "workflows/RunRecording.h"
#include "workflows/DeviceWork.h"
#include "workflows/SequenceView.h"

// `steps()` runs the device steps and returns their result; `outcome(result)` shows it and
// returns the result as it finally stands (and ends the run's record). The device work ends
// before the outcome, so that nothing is held while the user reads it; so does the run's
// total time.
template <typename Steps, typename Outcome>
auto RunSequence(SequenceView& view, SequenceKind kind, Steps steps, Outcome outcome) {
  view.SequenceStarted(kind);
  BeginRun(view, kind);
  auto result = [&] {
    DeviceWork work(view);
    return steps();
  }();
  RecordDeviceStepsEnd(view);
  result = outcome(result);
  view.SequenceEnded(kind);
  return result;
}
