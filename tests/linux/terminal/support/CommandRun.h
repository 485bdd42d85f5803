// One run of the shipped padwright binary for an end-to-end test: started with the stand-in
// loaded (LD_PRELOAD) and pointed at a stand-in host's folder, its output on a pipe or on a
// pseudo-terminal, typed into, signalled, and always ended and reaped with the object, so
// that no test leaves a process behind.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <string>
#include <vector>

class CommandRun {
 public:
  enum class Output { kPipe, kTerminal };

  CommandRun() = default;
  ~CommandRun();
  CommandRun(const CommandRun&) = delete;
  CommandRun& operator=(const CommandRun&) = delete;

  // Sets a variable of the command's environment (before Start), over the test's own.
  void SetVariable(const std::string& name, const std::string& value);
  // The name the command is started by (argv[0], before Start); the binary's path if none.
  void SetProgramName(const std::string& name) { programName_ = name; }
  const std::string& ProgramName() const { return programName_; }
  // Runs the command as another user (before Start; the test must be root).
  void RunAs(uid_t uid, gid_t gid) {
    uid_ = uid;
    gid_ = gid;
  }
  // Starts `binary` with `args` in `folder`, with the stand-in folder `standInRoot`. Standard
  // output and error both go to the pipe or terminal.
  bool Start(const std::string& binary, const std::vector<std::string>& args,
             const std::string& folder, const std::string& standInRoot, Output output);
  // Reads output until it holds `text` or `timeoutMs` have passed.
  bool WaitFor(const std::string& text, int timeoutMs);
  // Writes `text` to the command's standard input.
  void Type(const std::string& text);
  void Signal(int signal);
  // Reads the rest of the output and reaps the command; its exit status (128 + N when a
  // signal N ended it), or -1 when it did not end within `timeoutMs` (it is killed then).
  int Wait(int timeoutMs);
  // The local modes (ICANON, ECHO, ...) of the command's pseudo-terminal as they stand now;
  // false when it runs on a pipe.
  bool TerminalLocalModes(tcflag_t* modes) const;
  // Everything the command wrote so far.
  const std::string& Text() const { return output_; }
  pid_t Pid() const { return pid_; }

 private:
  // Reads what is there within `timeoutMs`; false at the end of the output.
  bool ReadSome(int timeoutMs);

  pid_t pid_ = -1;
  int outputFd_ = -1;
  int inputFd_ = -1;
  bool ended_ = false;
  std::string output_;
  std::vector<std::string> variables_;  // "NAME=value"
  std::string programName_;
  uid_t uid_ = static_cast<uid_t>(-1);  // -1: the test's own user
  gid_t gid_ = static_cast<gid_t>(-1);
};
