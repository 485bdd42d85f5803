// The throttled progress display of a firmware transfer.
#include "workflows/ProgressDisplay.h"

#include "platform/FormatString.h"

void ShowProgress(Clock& clock, SequenceView& view, size_t done, size_t total, uint32_t startMs,
                  uint32_t& lastUpdateMs) {
  uint32_t now = clock.NowMs();
  if (now - lastUpdateMs <= 100 && done != total) {
    return;
  }
  // The transfer never reports an empty image; the guard keeps the division defined.
  double ratio = total == 0 ? 0.0 : static_cast<double>(done) / static_cast<double>(total);
  view.SetProgress(static_cast<uint64_t>(ratio * 1000.0),
                   FormatString(L"Upgrading, progress: %zu/%zu %.0lf%% elapsed time: %dms", done,
                                total, ratio * 100.0, static_cast<int>(now - startMs)));
  lastUpdateMs = clock.NowMs();
}

std::function<void(size_t, size_t)> MakeProgressCallback(Clock& clock, SequenceView& view,
                                                         const uint32_t& startMs,
                                                         uint32_t& lastUpdateMs) {
  return [&clock, &view, &startMs, &lastUpdateMs](size_t done, size_t total) {
    ShowProgress(clock, view, done, total, startMs, lastUpdateMs);
  };
}
