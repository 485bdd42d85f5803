// CWorkerRegistry: keeps count of the worker threads that may still touch the main window
// object, so that the object outlives them, and tells long waits to give up once the window
// has closed. Standard library only.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

class CWorkerRegistry {
 public:
  // On the window thread, before a worker thread is started: counts it. False once a stop
  // has been requested; then no worker may be started.
  bool Enter();
  // The worker's very last touch of the window object; the object may be gone right after.
  void Leave();
  // Set once the window has closed; a worker's long wait polls it and gives up.
  void RequestStop();
  bool StopRequested() const;
  // Waits up to `timeoutMs` for the count to reach 0; true when no worker is left.
  bool WaitUntilIdle(uint32_t timeoutMs);
  size_t LiveCount() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable idle_;
  size_t live_ = 0;
  std::atomic<bool> stop_{false};
};
