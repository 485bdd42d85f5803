// padwright-sim: runs a command (normally the padwright command) against the controller
// simulator, with no root and no controller: the stand-in for hidraw, sysfs and /dev/mem
// beside this program is loaded into it, and this process serves the simulator behind it.
// The command keeps the terminal; when it ends, what the simulated controller received is
// summed up on standard error.
//   padwright-sim [--cut-transfer] [--hold-home] [--] COMMAND [ARGS...]
//   --cut-transfer  the controller drops off the bus half-way through the first transfer;
//                   HOME is then held (as the recovery asks) until its boot loader is up
//   --hold-home     HOME is held from the start until the boot loader is up
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "sim/ControllerSimulator.h"
#include "sim/linux/StandInLayout.h"
#include "sim/linux/host/StandInHost.h"
#include "tests/support/UserController.h"

namespace {

std::string OwnFolder() {
  char path[PATH_MAX] = {};
  const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
  std::string self(path, n > 0 ? static_cast<size_t>(n) : 0);
  return self.substr(0, self.rfind('/'));
}

void Summarize(ControllerSimulator& sim) {
  GlobalConfig global = sim.GetGlobalConfig();
  const bool buttons = sim.GetButtonConfig() == UserButtons();
  const uint8_t version = global[kFirmwareVersionByte];
  global[kFirmwareVersionByte] = 2;
  std::string modes;
  for (uint16_t mode : sim.ModesSet()) {
    modes += " " + std::to_string(mode);
  }
  std::fprintf(stderr,
               "\n[simulator] firmware image: %zu bytes received, %s; now running firmware %u\n"
               "[simulator] button configuration %s, global configuration %s; modes set:%s\n",
               sim.ReceivedImage().size(), sim.ImageComplete() ? "complete" : "incomplete", version,
               buttons ? "the user's" : "NOT the user's",
               global == UserGlobal(2) ? "the user's" : "NOT the user's",
               modes.empty() ? " none" : modes.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  bool cut = false;
  bool holdHome = false;
  int first = 1;
  for (; first < argc && argv[first][0] == '-'; ++first) {
    if (std::strcmp(argv[first], "--") == 0) {
      ++first;
      break;
    }
    cut = cut || std::strcmp(argv[first], "--cut-transfer") == 0;
    holdHome = holdHome || std::strcmp(argv[first], "--hold-home") == 0;
  }
  if (first >= argc) {
    std::fprintf(stderr,
                 "usage: padwright-sim [--cut-transfer] [--hold-home] [--] COMMAND [ARGS...]\n");
    return 2;
  }
  ControllerSimulator sim;
  SetUpUserController(sim, 2, 3);
  sim.SetReplyLatencyMs(2);  // a transfer of a few seconds, as on the handheld
  sim.SetHomeHeld(holdHome);
  if (cut) {
    sim.Inject(Step::DataPacket, 400, Fault::DeviceGone);
  }
  StandInHost host(sim);
  if (!host.Start()) {
    std::fprintf(stderr, "padwright-sim: the simulator could not be served\n");
    return 1;
  }
  host.ExportRoot();
  setenv("LD_PRELOAD", (OwnFolder() + "/libpadwright_standin.so").c_str(), 1);
  setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent", 1);  // no real sleep inhibitor
  // The demonstration's backups stay in the build tree (root's go to the host's folder).
  setenv("XDG_STATE_HOME", (OwnFolder() + "/../demo/state").c_str(), 1);

  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[first], argv + first);
    std::perror(argv[first]);
    _exit(127);
  }
  // Ctrl+C reaches the command through the terminal; this process waits for it to decide.
  signal(SIGINT, SIG_IGN);
  signal(SIGTERM, SIG_IGN);
  int status = 0;
  bool homeByRecovery = false;
  while (waitpid(child, &status, WNOHANG) == 0) {
    const SimState state = sim.State();
    if (cut && !homeByRecovery && state == SimState::Gone) {
      sim.ClearFaults();
      sim.SetHomeHeld(true);
      homeByRecovery = true;
    }
    if ((holdHome || homeByRecovery) && state == SimState::BootLoader) {
      sim.SetHomeHeld(false);  // the user lets go once told to
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Summarize(sim);
  host.Stop();
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
