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

std::vector<FileFlock> ParseFlocks(const std::string& locksText) {
  std::vector<FileFlock> flocks;
  std::istringstream lines(locksText);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string number, kind, mode, access, file;
    long long pid = 0;
    fields >> number >> kind;
    if (kind != "FLOCK" || !(fields >> mode >> access >> pid >> file)) {
      continue;  // another kind of lock, or a waiter ("->")
    }
    unsigned major = 0, minor = 0;
    unsigned long long node = 0;
    if (std::sscanf(file.c_str(), "%x:%x:%llu", &major, &minor, &node) == 3) {
      flocks.push_back(
          {pid > 0 ? static_cast<pid_t>(pid) : 0, makedev(major, minor), static_cast<ino_t>(node)});
    }
  }
  return flocks;
}

std::vector<FileFlock> GrantedFlocks() {
  const int fd = open("/proc/locks", O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return {};
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
  return ParseFlocks(text);
}

bool FileHasFlock(dev_t dev, ino_t inode, pid_t* holder) {
  for (const FileFlock& flock : GrantedFlocks()) {
    if (flock.dev == dev && flock.inode == inode) {
      *holder = flock.pid;
      return true;
    }
  }
  return false;
}
