// CWorkerRegistry: a counted set of live workers with a stop flag.
#include "ui/WorkerRegistry.h"

#include <chrono>

bool CWorkerRegistry::Enter() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (stop_) {
    return false;
  }
  ++live_;
  return true;
}

void CWorkerRegistry::Leave() {
  // Notified under the lock: a waiter cannot return (and destroy this object) until the
  // worker has let go of the mutex, and the worker touches nothing after that.
  std::lock_guard<std::mutex> lock(mutex_);
  if (live_ > 0) {
    --live_;
  }
  if (live_ == 0) {
    idle_.notify_all();
  }
}

void CWorkerRegistry::RequestStop() {
  std::lock_guard<std::mutex> lock(mutex_);
  stop_ = true;
}

bool CWorkerRegistry::StopRequested() const {
  return stop_;
}

bool CWorkerRegistry::WaitUntilIdle(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return live_ == 0; });
}

size_t CWorkerRegistry::LiveCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return live_;
}
