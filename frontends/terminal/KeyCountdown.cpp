// The countdown of the padwright command (see KeyCountdown.h).
#include "frontends/terminal/KeyCountdown.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "frontends/terminal/InterruptGuard.h"
#include "platform/linux/MonotonicClock.h"

namespace {

// The terminal reads key by key without echo while this lives; its mode is given back on
// every way out, a stopping signal included.
class KeyByKey {
 public:
  explicit KeyByKey(int fd) : fd_(fd) {
    if (tcgetattr(fd_, &saved_) != 0) {
      fd_ = -1;  // not a terminal after all: read it as it is
      return;
    }
    interrupt_guard::RestoreTerminalOnStop(fd_, saved_);
    termios keys = saved_;
    keys.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    keys.c_cc[VMIN] = 1;
    keys.c_cc[VTIME] = 0;
    tcsetattr(fd_, TCSANOW, &keys);
    tcflush(fd_, TCIFLUSH);
  }
  ~KeyByKey() {
    if (fd_ >= 0) {
      tcsetattr(fd_, TCSANOW, &saved_);
      interrupt_guard::ClearTerminalRestore();
    }
  }
  KeyByKey(const KeyByKey&) = delete;
  KeyByKey& operator=(const KeyByKey&) = delete;

 private:
  int fd_;
  termios saved_{};
};

// What a key means to the countdown; kElapsed for a key that means nothing.
CountdownEnd Meaning(char key) {
  switch (key) {
    case 'n':
    case 'N':
      return CountdownEnd::kDeclined;
    case 'y':
    case 'Y':
    case '\n':
    case '\r':
      return CountdownEnd::kGoNow;
    default:
      return CountdownEnd::kElapsed;
  }
}

}  // namespace

CountdownEnd RunCountdown(int inFd, FILE* out, int seconds,
                          const std::function<std::string(int)>& line) {
  KeyByKey keys(inFd);
  bool listening = true;  // until the input ends
  CountdownEnd end = CountdownEnd::kElapsed;
  const uint64_t start = MonotonicMs();
  for (int left = seconds; left > 0 && end == CountdownEnd::kElapsed; --left) {
    std::fprintf(out, "\r\033[2K%s", line(left).c_str());
    std::fflush(out);
    const uint64_t tickEnd = start + static_cast<uint64_t>(seconds - left + 1) * 1000;
    for (uint64_t now = MonotonicMs(); now < tickEnd && end == CountdownEnd::kElapsed;
         now = MonotonicMs()) {
      const int wait = static_cast<int>(tickEnd - now);
      if (!listening) {
        usleep(static_cast<useconds_t>(wait) * 1000);
        continue;
      }
      pollfd entry{inFd, POLLIN, 0};
      const int ready = poll(&entry, 1, wait);
      if (ready < 0 && errno != EINTR) {
        listening = false;  // no input to wait on: count the time out without it
      }
      if (ready <= 0) {
        continue;  // a time-out, or a signal that was not one to stop for
      }
      char key = 0;
      const ssize_t n = read(inFd, &key, 1);
      if (n == 1) {
        end = Meaning(key);
      } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
        listening = false;  // the input has ended (a hang-up): count the time out without it
      }
    }
  }
  if (end != CountdownEnd::kDeclined) {
    std::fprintf(out, "\r\033[2K%s", line(0).c_str());
  }
  std::fputc('\n', out);
  std::fflush(out);
  return end;
}
