// Writing a whole text to a file descriptor (see FdWrite.h).
#include "platform/linux/FdWrite.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      if (n == 0) {
        errno = EIO;  // no byte taken and no error said: never leave an older errno as the reason
      }
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

int CreateTemporary(const std::string& path, mode_t mode) {
  unlink(path.c_str());  // a link is removed itself, never what it leads to
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
}
