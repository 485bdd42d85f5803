// Reading /proc/locks (see ProcLocks.h). A line there reads
//   "12: FLOCK  ADVISORY  WRITE 4711 00:1a:3034 0 EOF"
// with the device as hexadecimal major:minor and the inode in decimal; a process waiting for
// a lock has a line of its own with "->" after the number.
#include "frontends/terminal/ProcLocks.h"

#include <fcntl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <sstream>
#include <string>

namespace {

bool LocksTextHasFlock(const std::string& text, dev_t dev, ino_t inode) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string number, kind, mode, access, pid, file;
    fields >> number >> kind;
    if (kind == "->") {
      continue;
    }
    fields >> mode >> access >> pid >> file;
    unsigned major = 0, minor = 0;
    unsigned long long node = 0;
    if (kind == "FLOCK" && std::sscanf(file.c_str(), "%x:%x:%llu", &major, &minor, &node) == 3 &&
        major == gnu_dev_major(dev) && minor == gnu_dev_minor(dev) &&
        node == static_cast<unsigned long long>(inode)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool FileHasFlock(dev_t dev, ino_t inode) {
  int fd = open("/proc/locks", O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof(buffer));
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      break;
    }
    text.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return LocksTextHasFlock(text, dev, inode);
}
