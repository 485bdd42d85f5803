// Root's note of a pending backup for other users (see PendingMarker.h).
#include "platform/linux/PendingMarker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/TimeText.h"
#include "platform/linux/FdWrite.h"

namespace {

// The note is one line; anything longer is not ours.
constexpr size_t kLongestNote = 64;

// The note's folder, made if needed and opened up for reading: it may have been made
// private by an earlier run. Its backups folder inside stays private.
bool MakeReadableFolder(const std::string& folder) {
  if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
    return false;
  }
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  struct stat info {};
  const bool ok = fstat(fd, &info) == 0 && info.st_uid == geteuid() &&
                  ((info.st_mode & 07777) == 0755 || fchmod(fd, 0755) == 0);
  close(fd);
  return ok;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool WritePendingMarker(const std::string& path, int64_t utcMs) {
  const std::string folder = FolderOf(path);
  if (!MakeReadableFolder(folder)) {
    return false;
  }
  const std::string temporary = path + ".tmp";
  const int fd = CreateTemporary(temporary, 0644);
  if (fd < 0) {
    return false;
  }
  // The mode asked for is cut by the umask; the note is for everyone to read.
  bool ok = fchmod(fd, 0644) == 0 && WriteAll(fd, UtcStamp(utcMs) + "\n") && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    unlink(temporary.c_str());
    return false;
  }
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

bool RemovePendingMarker(const std::string& path) {
  return unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool ReadPendingMarker(const std::string& path, int64_t* utcMs) {
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  char buffer[kLongestNote + 1];
  ssize_t n = 0;
  do {
    n = read(fd, buffer, sizeof(buffer));
  } while (n < 0 && errno == EINTR);
  close(fd);
  if (n < 2 || static_cast<size_t>(n) > kLongestNote || buffer[n - 1] != '\n') {
    return false;
  }
  return ParseUtcStamp(std::string_view(buffer, static_cast<size_t>(n) - 1), utcMs);
}
