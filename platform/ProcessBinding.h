// One object behind an interface that the whole process reaches (the clock, the physical
// memory, the power source, the backup folder): the entry point, or a test, binds it before
// any thread uses it; any thread reads it. The object must outlive its binding.
#pragma once

#include <atomic>

template <typename Interface>
class ProcessBinding {
 public:
  constexpr ProcessBinding() = default;
  ProcessBinding(const ProcessBinding&) = delete;
  ProcessBinding& operator=(const ProcessBinding&) = delete;

  // The bound object, or nullptr when none is.
  Interface* Get() const { return bound_.load(std::memory_order_acquire); }
  // Binds `object` (nullptr unbinds).
  void Bind(Interface* object) { bound_.store(object, std::memory_order_release); }

 private:
  std::atomic<Interface*> bound_{nullptr};
};
