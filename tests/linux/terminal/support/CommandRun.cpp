// Running the shipped padwright binary for end-to-end tests (see CommandRun.h).
#include "tests/linux/terminal/support/CommandRun.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

#include "sim/linux/StandInLayout.h"

extern char** environ;

namespace {

// The test's environment with the stand-in's variables and `own` ("NAME=value") over it.
std::vector<std::string> ChildEnvironment(const std::string& standInRoot,
                                          const std::vector<std::string>& own) {
  std::vector<std::string> set = own;
  set.push_back(std::string("LD_PRELOAD=") + PADWRIGHT_STANDIN_LIBRARY);
  set.push_back(std::string(standin::kRootVariable) + "=" + standInRoot);
  // No logind of the machine is asked for an inhibitor during a test.
  set.push_back("DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent");
  // A run without root keeps its lock in its user's runtime folder: the stand-in's.
  set.push_back("XDG_RUNTIME_DIR=" + standInRoot + standin::kUserRuntimeFolder);
  // Its backups too go to the test's folder (root's get there through the stand-in).
  set.push_back("XDG_STATE_HOME=" + standInRoot + "/state");
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('=') + 1);
    bool replaced = false;
    for (const std::string& variable : set) {
      replaced = replaced || variable.rfind(name, 0) == 0;
    }
    if (!replaced) {
      env.push_back(text);
    }
  }
  env.insert(env.end(), set.begin(), set.end());
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) {
    pointers.push_back(text.data());
  }
  pointers.push_back(nullptr);
  return pointers;
}

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

CommandRun::~CommandRun() {
  if (pid_ > 0 && !ended_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (outputFd_ >= 0) {
    close(outputFd_);
  }
  if (inputFd_ >= 0 && inputFd_ != outputFd_) {
    close(inputFd_);
  }
}

void CommandRun::SetVariable(const std::string& name, const std::string& value) {
  variables_.push_back(name + "=" + value);
}

bool CommandRun::Start(const std::string& binary, const std::vector<std::string>& args,
                       const std::string& folder, const std::string& standInRoot, Output output) {
  std::vector<std::string> argvTexts = {programName_.empty() ? binary : programName_};
  argvTexts.insert(argvTexts.end(), args.begin(), args.end());
  std::vector<std::string> envTexts = ChildEnvironment(standInRoot, variables_);
  std::vector<char*> argv = Pointers(argvTexts);
  std::vector<char*> env = Pointers(envTexts);

  int childIn = -1;
  int childOut = -1;
  std::string terminalName;
  if (output == Output::kTerminal) {
    outputFd_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (outputFd_ < 0 || grantpt(outputFd_) != 0 || unlockpt(outputFd_) != 0) {
      return false;
    }
    terminalName = ptsname(outputFd_);
    inputFd_ = outputFd_;
  } else {
    int in[2];
    int out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
      return false;
    }
    childIn = in[0];
    inputFd_ = in[1];
    outputFd_ = out[0];
    childOut = out[1];
  }
  pid_ = fork();
  if (pid_ == 0) {
    // Only async-signal-safe calls until exec: this process has threads.
    if (output == Output::kTerminal) {
      setsid();
      childIn = open(terminalName.c_str(), O_RDWR);
      ioctl(childIn, TIOCSCTTY, 0);
      winsize size{};
      size.ws_col = 100;
      size.ws_row = 30;
      ioctl(childIn, TIOCSWINSZ, &size);
      childOut = childIn;
    }
    dup2(childIn, STDIN_FILENO);
    dup2(childOut, STDOUT_FILENO);
    dup2(childOut, STDERR_FILENO);
    if (uid_ != static_cast<uid_t>(-1) &&
        (setgroups(0, nullptr) != 0 || setgid(gid_) != 0 || setuid(uid_) != 0)) {
      _exit(126);
    }
    if (chdir(folder.c_str()) == 0) {
      execve(binary.c_str(), argv.data(), env.data());
    }
    _exit(127);
  }
  if (childIn >= 0) {
    close(childIn);
  }
  if (childOut >= 0) {
    close(childOut);
  }
  return pid_ > 0;
}

bool CommandRun::ReadSome(int timeoutMs) {
  pollfd entry{outputFd_, POLLIN, 0};
  if (poll(&entry, 1, timeoutMs) <= 0) {
    return true;
  }
  char buffer[4096];
  const ssize_t n = read(outputFd_, buffer, sizeof(buffer));
  if (n <= 0) {
    return false;  // EOF, or EIO on a terminal whose last user has gone
  }
  output_.append(buffer, static_cast<size_t>(n));
  return true;
}

bool CommandRun::WaitFor(const std::string& text, int timeoutMs) {
  const int64_t deadline = NowMs() + timeoutMs;
  while (output_.find(text) == std::string::npos) {
    const int64_t left = deadline - NowMs();
    if (left <= 0 || !ReadSome(static_cast<int>(left < 100 ? left : 100))) {
      return output_.find(text) != std::string::npos;
    }
  }
  return true;
}

void CommandRun::Type(const std::string& text) {
  ssize_t ignored = write(inputFd_, text.data(), text.size());
  (void)ignored;
}

bool CommandRun::TerminalLocalModes(tcflag_t* modes) const {
  if (outputFd_ < 0 || outputFd_ != inputFd_) {
    return false;
  }
  // The command's side of the terminal: its modes are the ones the command set.
  const int fd = open(ptsname(outputFd_), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios mode{};
  const bool read = fd >= 0 && tcgetattr(fd, &mode) == 0;
  if (fd >= 0) {
    close(fd);
  }
  *modes = mode.c_lflag;
  return read;
}

void CommandRun::Signal(int signal) {
  if (pid_ > 0 && !ended_) {
    kill(pid_, signal);
  }
}

int CommandRun::Wait(int timeoutMs) {
  const int64_t deadline = NowMs() + timeoutMs;
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      break;
    }
    if (NowMs() >= deadline) {
      return -1;  // the destructor kills it
    }
    ReadSome(50);
  }
  ended_ = true;
  for (;;) {  // what is still in the pipe or terminal
    pollfd entry{outputFd_, POLLIN, 0};
    char buffer[4096];
    const ssize_t n = poll(&entry, 1, 0) > 0 ? read(outputFd_, buffer, sizeof(buffer)) : 0;
    if (n <= 0) {
      break;
    }
    output_.append(buffer, static_cast<size_t>(n));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
