// The main window's worker threads: each started detached, counted so that the window object
// outlives it, and told to give up long waits once the window closes.
#pragma once

#include <functional>

#include "ui/WorkerRegistry.h"

class CFrameWorkers {
 public:
  // Runs `body` on a detached worker thread that this object outlives. False when no thread
  // was started (the window is closing, or the thread could not be created).
  bool Start(std::function<void()> body);
  // True once the window has closed (or is about to); long waits of workers give up then.
  bool StopRequested() const;
  // The window closes: workers started from now on are refused.
  void RequestStop();
  // Asks the workers to stop and returns once no worker is left, serving the thread's
  // messages meanwhile and calling `whileWaiting` at each turn (a dialog of a worker that
  // waits for the user is cancelled there).
  void WaitUntilDone(const std::function<void()>& whileWaiting);

 private:
  CWorkerRegistry registry_;
};
