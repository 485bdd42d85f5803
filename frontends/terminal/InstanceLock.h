// The single-instance guard of the padwright command, which no other user can take away.
// Root's runs hold an flock on /run/padwright/padwright.lock: a folder only root can write,
// holding a file only root can open, so no one else can hold a lock on it or plant anything
// in its place. A run without root cannot open that file; it guards against a second run of
// its own user with a lock in that user's runtime folder ($XDG_RUNTIME_DIR) and reads
// /proc/locks to see a root run in progress, and refuses then. Root's run in turn refuses
// while a run of another user holds its lock or the controller's node (OtherUsersRun.h).
// Each side looks for the other after taking its own lock, so that of two runs starting at
// once at least one sees the other. Nothing a run without root does can keep root from
// running for longer than that run lasts.
#pragma once

#include <sys/types.h>

#include <string>

class InstanceLock {
 public:
  enum class Result { kAcquired, kHeldElsewhere, kUnavailable };

  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock for the life of this object (the kernel drops it when the process ends).
  // kHeldElsewhere: a run of root, of the same user or (for root) of another user is in
  // progress. kUnavailable: the lock file cannot be had; the command then goes on unguarded.
  Result Acquire();

  // kHeldElsewhere: the pid of the run in progress; 0 when it cannot be told.
  pid_t Holder() const { return holder_; }
  // kUnavailable: why, from the call that failed ("Permission denied", ...).
  const std::string& Error() const { return error_; }

  // The lock file of this user's runs.
  static const char* Path();

 private:
  // This user's own lock (root's, or the runtime folder's).
  Result TakeOwnLock(bool root);
  void Release();

  int fd_ = -1;
  pid_t holder_ = 0;
  std::string error_;
};

// "another run of padwright (pid N)", or without the pid when it is not known.
std::string OtherRunText(pid_t pid);
