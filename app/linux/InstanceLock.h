// The single-instance guard of the padwright command: an flock on a file in /run/lock, so
// that two runs never talk to the controller at once, whoever started them.
#pragma once

class InstanceLock {
 public:
  enum class Result { kAcquired, kHeldElsewhere, kUnavailable };

  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock for the life of this object (the kernel drops it when the process ends).
  // kUnavailable: the lock file cannot be opened; errno tells why.
  Result Acquire();

  static const char* Path();

 private:
  int fd_ = -1;
};
