// Serves the controller simulator to programs that run with the hidraw stand-in (see
// sim/linux/standin/StandIn.cpp): keeps a sysfs-like tree of the present hidraw nodes in
// the shared folder, answers the nodes' connections on its socket, and follows the power
// byte in the one-page memory file, so that a program clearing and setting that bit
// power-cycles the simulated controller.
//
// The nodes: hidraw0 an unrelated keyboard, always there; while the controller is in normal
// mode hidraw1 (its keyboard function, 8-byte reports) and hidraw2 (the 64-byte interface
// the protocol uses), both 1c4f:0002; while it is in its boot loader hidraw3, 0483:5750.
// Replies are sent when the simulator makes them due; a write is taken as it arrives, so a
// device that disappears on a request fails the read after it at once (the write itself has
// gone into the socket).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

#include "sim/ControllerSimulator.h"
#include "sim/linux/host/StandInDevTree.h"
#include "sim/linux/host/StandInNodes.h"

class StandInHost {
 public:
  // How /dev/mem refuses, as a kernel would.
  enum class MemoryAccess {
    kAllowed,
    kNotRoot,       // open: EACCES
    kLockedDown,    // open: EPERM even for root
    kStrictDevMem,  // mmap: EPERM
    kMissing,       // no /dev/mem at all
  };

  explicit StandInHost(ControllerSimulator& sim);
  ~StandInHost();
  StandInHost(const StandInHost&) = delete;
  StandInHost& operator=(const StandInHost&) = delete;

  // Makes a fresh folder under the temp folder and serves it. False, with nothing left
  // running, when a file or the socket cannot be made.
  bool Start();
  // Stops serving (open nodes hang up), and removes the folder.
  void Stop();
  // The shared folder: the value of the stand-in's environment variable.
  const std::string& Root() const { return root_; }
  // Names this host's folder in this process's environment, for the stand-in linked in here
  // and for the children started from now on.
  void ExportRoot() const;

  void SetMemoryAccess(MemoryAccess access);
  // Opening the controller's nodes fails with EACCES, as for a user without the udev rule.
  void SetNodesDenied(bool denied) { nodesDenied_ = denied; }
  // Each time the controller comes back in normal mode (after a power cycle), its command node
  // (hidraw2) cannot be opened for `ms` after its keyboard node is there, as on a composite
  // device whose interfaces udev finishes one after the other: missing from sysfs too, or,
  // with `listed`, listed at once but not yet openable (ENOENT).
  void SetCommandNodeLate(uint32_t ms, bool listed);
  // Node `number` shows at `devPath` under /dev (as a daemon that moves it into a folder of
  // its own leaves it), or nowhere under /dev when the path is empty; by default at
  // /dev/hidrawN. sysfs still lists it with its numbers.
  void MoveNode(uint32_t number, const std::string& devPath) { devTree_.Move(number, devPath); }
  // What /proc/<pid>/cgroup reads for process `pid` (a line such as
  // "0::/system.slice/handheld.service"), in programs with the stand-in.
  bool SetProcessCgroup(pid_t pid, const std::string& text);
  // The power byte as the program left it.
  uint8_t PowerByte() const;
  // Node opens served (whether they succeeded or not).
  unsigned OpenCount() const { return openCount_; }

 private:
  struct Connection {
    int fd = -1;
    bool opened = false;
    NodeRole role = NodeRole::kUnrelated;
    uint32_t simConnection = 0;
    uint64_t programInode = 0;  // the program's end of the connection, once opened
  };

  void Serve();
  void Accept();
  void HandleOpen(Connection& connection);
  void HandleRequest(Connection& connection);
  void SendDueReplies(int* waitMs);
  void FollowPowerBit();
  // The nodes present now as a program sees them: the simulator's, less a late command node.
  // Only from the serving thread.
  std::vector<StandInNode> Nodes();
  bool CommandNodeLate() const;
  void Publish();
  void HangUp(Connection& connection);

  ControllerSimulator& sim_;
  std::string root_;
  int listenFd_ = -1;
  int wakeFds_[2] = {-1, -1};
  uint8_t* memory_ = nullptr;
  bool powerBit_ = true;
  std::atomic<bool> nodesDenied_{false};
  std::atomic<uint32_t> commandNodeLateMs_{0};
  std::atomic<bool> commandNodeListed_{false};
  // Only on the serving thread: whether the controller was present at the last look, and
  // when its command node opens (steady clock, ms).
  bool controllerSeen_ = false;
  int64_t commandNodeFromMs_ = 0;
  std::atomic<unsigned> openCount_{0};
  std::atomic<bool> stopping_{false};
  std::vector<Connection> connections_;
  std::vector<std::string> published_;  // "<node>:<uevent>:<descriptor>" of each node shown
  StandInDevTree devTree_;
  std::thread server_;
};
