// The backup folder on Linux (see PosixBackupFolder.h).
#include "platform/linux/PosixBackupFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/linux/FdWrite.h"
#include "platform/linux/PendingMarker.h"
#include "platform/linux/Utf8Text.h"

namespace {

// A backup is a few kilobytes; anything much larger is no backup of ours.
constexpr size_t kLargestFile = 64 * 1024;

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') {
    return home;
  }
  const passwd* entry = getpwuid(getuid());
  return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

std::wstring Wide(const std::string& text) {
  std::wstring wide;
  if (!FromUtf8(text, wide)) {
    wide.assign(text.begin(), text.end());  // a path in another encoding
  }
  return wide;
}

}  // namespace

std::string PosixBackupFolder::DefaultPath() {
  if (geteuid() == 0) {
    return "/var/lib/padwright/backups";
  }
  // The XDG rule: a relative XDG_STATE_HOME is to be ignored.
  const char* state = std::getenv("XDG_STATE_HOME");
  std::string base =
      state != nullptr && state[0] == '/' ? std::string(state) : HomeFolder() + "/.local/state";
  return base + "/padwright/backups";
}

std::string PosixBackupFolder::DefaultPendingMarker() {
  return geteuid() == 0 ? kRootPendingMarker : "";
}

std::wstring PosixBackupFolder::FailureText() const {
  return Wide(lastError_);
}

std::wstring PosixBackupFolder::ReadFailureText() const {
  return Wide(lastReason_);
}

bool PosixBackupFolder::Fail(const std::string& what, const std::string& path) {
  return FailFor(path, what + ": " + std::strerror(errno));
}

bool PosixBackupFolder::FailFor(const std::string& path, const std::string& reason) {
  lastReason_ = reason;
  lastError_ = path + ": " + reason;
  return false;
}

bool PosixBackupFolder::MakeFolders() {
  // Each missing folder on the way, private to the user.
  for (size_t slash = path_.find('/', 1);; slash = path_.find('/', slash + 1)) {
    const std::string folder = path_.substr(0, slash);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      return Fail("mkdir", folder);
    }
    if (slash == std::string::npos) {
      return true;
    }
  }
}

bool PosixBackupFolder::List(std::vector<std::string>* names) {
  names->clear();
  DIR* dir = opendir(path_.c_str());
  if (dir == nullptr) {
    return errno == ENOENT ? true : Fail("opendir", path_);
  }
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] != '.') {
      names->push_back(entry->d_name);
    }
  }
  closedir(dir);
  return true;
}

bool PosixBackupFolder::Read(const std::string& name, std::string* text) {
  return ReadUpTo(name, text, kLargestFile);
}

bool PosixBackupFolder::ReadUpTo(const std::string& name, std::string* text, size_t largest) {
  const std::string path = PathOf(name);
  // Non-blocking: a FIFO planted in the folder must not hold the run up.
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return errno == ELOOP ? FailFor(path, "a symbolic link: not followed") : Fail("open", path);
  }
  std::string bytes;
  const bool ok = ReadWhole(fd, path, largest, &bytes);
  close(fd);
  if (ok) {
    *text = std::move(bytes);
  }
  return ok;
}

bool PosixBackupFolder::ReadWhole(int fd, const std::string& path, size_t largest,
                                  std::string* bytes) {
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    return Fail("fstat", path);
  }
  if (!S_ISREG(info.st_mode)) {
    return FailFor(path, "not a regular file");
  }
  if (static_cast<uint64_t>(info.st_size) > largest) {
    return FailFor(path, "larger than any backup (" + std::to_string(info.st_size) + " bytes)");
  }
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof(buffer));
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      return Fail("read", path);
    }
    if (n == 0) {
      return true;
    }
    if (bytes->size() + static_cast<size_t>(n) > largest) {
      return FailFor(path, "larger than any backup (it grew while read)");
    }
    bytes->append(buffer, static_cast<size_t>(n));
  }
}

bool PosixBackupFolder::Write(const std::string& name, const std::string& text) {
  if (!MakeFolders()) {
    return false;
  }
  const std::string path = PathOf(name);
  const std::string temporary = PathOf("." + name + ".tmp");
  const int fd = CreateTemporary(temporary, 0600);
  if (fd < 0) {
    return Fail("open", temporary);
  }
  bool ok = WriteAll(fd, text) || Fail("write", temporary);
  ok = ok && (fsync(fd) == 0 || Fail("fsync", temporary));
  ok = (close(fd) == 0 || Fail("close", temporary)) && ok;
  ok = ok && (rename(temporary.c_str(), path.c_str()) == 0 || Fail("rename", temporary));
  if (!ok) {
    unlink(temporary.c_str());
    return false;
  }
  // The rename itself must reach the disk too.
  const int folder = open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) {
    return Fail("open", path_);
  }
  ok = fsync(folder) == 0 || Fail("fsync", path_);
  close(folder);
  return ok;
}

bool PosixBackupFolder::Remove(const std::string& name) {
  const std::string path = PathOf(name);
  return unlink(path.c_str()) == 0 || Fail("unlink", path);
}

void PosixBackupFolder::NotePending(std::optional<int64_t> newestPendingUtcMs) {
  if (pendingMarker_.empty()) {
    return;
  }
  int64_t noted = 0;
  if (!newestPendingUtcMs) {
    RemovePendingMarker(pendingMarker_);
  } else if (!ReadPendingMarker(pendingMarker_, &noted) || noted != *newestPendingUtcMs) {
    WritePendingMarker(pendingMarker_, *newestPendingUtcMs);
  }
}
