// flock on /run/lock/padwright.lock.
#include "app/linux/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

const char* InstanceLock::Path() {
  return "/run/lock/padwright.lock";
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) {
    close(fd_);
  }
}

InstanceLock::Result InstanceLock::Acquire() {
  // Read-only is enough for flock, so a user can share the file root created (0644). No
  // symlink is followed in the world-writable folder.
  fd_ = open(Path(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    return Result::kUnavailable;
  }
  while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) {
      const int error = errno;
      close(fd_);
      fd_ = -1;
      errno = error;
      return error == EWOULDBLOCK ? Result::kHeldElsewhere : Result::kUnavailable;
    }
  }
  return Result::kAcquired;
}
