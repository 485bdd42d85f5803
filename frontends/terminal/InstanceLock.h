// The single-instance guard of the padwright command, which no other user can take away.
// Root's runs hold an flock on /run/padwright/padwright.lock: a folder only root can write,
// holding a file only root can open, so no one else can hold a lock on it or plant anything
// in its place. A run without root cannot open that file; it reads /proc/locks to see a root
// run in progress and refuses then, and guards against a second run of its own user with a
// lock in that user's runtime folder ($XDG_RUNTIME_DIR). Nothing a run without root does
// can keep root from running.
#pragma once

class InstanceLock {
 public:
  enum class Result { kAcquired, kHeldElsewhere, kUnavailable };

  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock for the life of this object (the kernel drops it when the process ends).
  // kHeldElsewhere: a run of root, or of the same user, is in progress. kUnavailable: the
  // lock file cannot be had (errno tells why); the command then goes on unguarded.
  Result Acquire();

  // The lock file of this user's runs.
  static const char* Path();

 private:
  int fd_ = -1;
};
