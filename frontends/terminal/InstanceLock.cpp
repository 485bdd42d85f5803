// The padwright command's instance lock (see InstanceLock.h).
#include "frontends/terminal/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "frontends/terminal/OtherUsersRun.h"
#include "frontends/terminal/ProcLocks.h"

namespace {

constexpr char kRootFolder[] = "/run/padwright";
constexpr char kFileName[] = "padwright.lock";

// Says why in `error`; -1.
int Fail(std::string* error, const std::string& why) {
  *error = why;
  return -1;
}

std::string Reason(const char* call) {
  return std::string(call) + ": " + std::strerror(errno);
}

// A folder of `owner`, reached without following a link, in which `forbidden` mode bits are
// clear: with group and others unable to write, nothing in it was planted by anyone else.
// Its descriptor, or -1 with `error` set.
int OpenOwnedFolder(const char* path, uid_t owner, mode_t forbidden, std::string* error) {
  const int fd = open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    return Fail(error, Reason("open"));
  }
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    const std::string why = Reason("fstat");
    close(fd);
    return Fail(error, why);
  }
  if (info.st_uid == owner && (info.st_mode & forbidden) == 0) {
    return fd;
  }
  close(fd);
  return Fail(error, info.st_uid != owner ? "the folder is another user's"
                                          : "others may write in the folder");
}

// Whether `fd` is a regular file of the caller that no one else may open.
bool IsOwnLockFile(int fd) {
  struct stat info {};
  return fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
         (info.st_mode & 077) == 0;
}

// The lock file in `folder`: never through a link, never waiting (a FIFO in its place cannot
// block the open). Whatever else stands under its name, such as a file others could open
// and lock, is replaced by a new file; the folder is the caller's, so nothing is lost. Only
// what was looked at is removed, so that a run doing the same at once keeps its new file.
int OpenLockFile(int folder, std::string* error) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int fd =
        openat(folder, kFileName, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    const std::string openFailure = fd < 0 ? Reason("open") : std::string();
    if (fd >= 0 && IsOwnLockFile(fd)) {
      return fd;
    }
    struct stat opened {};
    const bool wasOpened = fd >= 0 && fstat(fd, &opened) == 0;
    if (fd >= 0) {
      close(fd);
    }
    struct stat there {};
    if (fstatat(folder, kFileName, &there, AT_SYMLINK_NOFOLLOW) != 0) {
      if (fd < 0 && errno == ENOENT) {
        return Fail(error, openFailure);  // nothing there to replace: the open's own reason
      }
      continue;
    }
    if ((!wasOpened || (there.st_dev == opened.st_dev && there.st_ino == opened.st_ino)) &&
        unlinkat(folder, kFileName, 0) != 0 && errno != ENOENT) {
      return Fail(error, Reason("unlink"));  // a folder under that name, say
    }
  }
  return Fail(error, "something else keeps taking the lock file's place");
}

// Root's lock folder, made when missing. Only root writes in /run, so a folder there that
// others may write was left so by root; its mode is put right before it is used.
int OpenRootFolder(std::string* error) {
  if (mkdir(kRootFolder, 0755) != 0 && errno != EEXIST) {
    return Fail(error, Reason("mkdir"));
  }
  const int fd = OpenOwnedFolder(kRootFolder, 0, 0, error);
  struct stat info {};
  if (fd < 0 || (fstat(fd, &info) == 0 && (info.st_mode & 022) == 0)) {
    return fd;
  }
  if (fchmod(fd, 0755) == 0) {
    return fd;
  }
  *error = Reason("chmod");
  close(fd);
  return -1;
}

// Whether a root run holds its lock now, as seen by a user who may not open the file;
// `holder` gets its pid.
bool RootRunInProgress(pid_t* holder) {
  std::string ignored;
  const int folder = OpenOwnedFolder(kRootFolder, 0, 0, &ignored);
  if (folder < 0) {
    return false;  // no root run since boot
  }
  struct stat info {};
  const bool found = fstatat(folder, kFileName, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                     S_ISREG(info.st_mode) && info.st_uid == 0;
  close(folder);
  return found && FileHasFlock(info.st_dev, info.st_ino, holder);
}

// The user's runtime folder, when the session has one that is the user's alone.
int OpenUserFolder(std::string* error) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || runtime[0] != '/') {
    return Fail(error, "XDG_RUNTIME_DIR names no folder");
  }
  return OpenOwnedFolder(runtime, geteuid(), 077, error);
}

}  // namespace

std::string OtherRunText(pid_t pid) {
  return pid > 0 ? "another run of padwright (pid " + std::to_string(pid) + ")"
                 : std::string("another run of padwright");
}

const char* InstanceLock::Path() {
  static const std::string path = [] {
    if (geteuid() == 0) {
      return std::string(kRootFolder) + "/" + kFileName;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return std::string(runtime != nullptr ? runtime : "$XDG_RUNTIME_DIR") + "/" + kFileName;
  }();
  return path.c_str();
}

InstanceLock::~InstanceLock() {
  Release();
}

void InstanceLock::Release() {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
}

InstanceLock::Result InstanceLock::TakeOwnLock(bool root) {
  const int folder = root ? OpenRootFolder(&error_) : OpenUserFolder(&error_);
  if (folder < 0) {
    return Result::kUnavailable;
  }
  fd_ = OpenLockFile(folder, &error_);
  close(folder);
  if (fd_ < 0) {
    return Result::kUnavailable;
  }
  while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) {
      continue;
    }
    const bool held = errno == EWOULDBLOCK;
    error_ = Reason("flock");
    struct stat info {};
    if (held && fstat(fd_, &info) == 0) {
      FileHasFlock(info.st_dev, info.st_ino, &holder_);
    }
    Release();
    return held ? Result::kHeldElsewhere : Result::kUnavailable;
  }
  return Result::kAcquired;
}

InstanceLock::Result InstanceLock::Acquire() {
  const bool root = geteuid() == 0;
  const Result own = TakeOwnLock(root);
  if (own == Result::kHeldElsewhere) {
    return own;
  }
  // Looked for with this run's own lock held (see InstanceLock.h).
  pid_t other = 0;
  if (root ? FindOtherUsersRun(&other) : RootRunInProgress(&other)) {
    Release();
    holder_ = other;
    return Result::kHeldElsewhere;
  }
  return own;
}
