// Writing a whole text to a file descriptor (see FdWrite.h).
#include "platform/linux/FdWrite.h"

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
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}
