// Serves the controller simulator behind the hidraw stand-in (see StandInHost.h).
#include "sim/linux/host/StandInHost.h"

#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "sim/SimClock.h"
#include "platform/PowerSwitch.h"
#include "sim/linux/StandInLayout.h"

namespace {

// How often presence and the power byte are looked at when nothing else happens.
constexpr int kWatchMs = 5;
constexpr size_t kPowerByteOffset =
    static_cast<size_t>(kControllerPowerAddress - standin::kMemoryWindowBase);

bool WriteFile(const std::string& path, const std::string& data) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    return false;
  }
  bool ok = write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size());
  close(fd);
  return ok;
}

int RemoveEntry(const char* path, const struct stat*, int, FTW*) {
  return remove(path);
}

void RemoveTree(const std::string& path) {
  nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string NodeDir(const std::string& root, uint32_t number) {
  return root + standin::kSysfsClass + "/hidraw" + std::to_string(number);
}

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::string Key(const StandInNode& node) {
  return std::to_string(node.number) + ":" + node.uevent + ":" + node.descriptor;
}

}  // namespace

StandInHost::StandInHost(ControllerSimulator& sim) : sim_(sim) {}

StandInHost::~StandInHost() {
  Stop();
}

bool StandInHost::Start() {
  if (!root_.empty()) {
    return false;
  }
  char folder[] = "/tmp/padwright-standin-XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    return false;
  }
  root_ = folder;
  // Root's lock folder is left for the program to make, as after a boot; so is its backup
  // folder, under the /var/lib that is there.
  for (const char* sub : {"/sys", "/sys/class", standin::kSysfsClass, "/run", "/var", "/var/lib"}) {
    mkdir((root_ + sub).c_str(), 0755);
  }
  mkdir((root_ + standin::kUserRuntimeFolder).c_str(), 0700);
  devTree_.SetRoot(root_);
  const std::string memoryPath = root_ + standin::kMemoryFile;
  int memoryFd = open(memoryPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (memoryFd >= 0 && ftruncate(memoryFd, standin::kMemoryWindowSize) == 0) {
    void* mapped =
        mmap(nullptr, standin::kMemoryWindowSize, PROT_READ | PROT_WRITE, MAP_SHARED, memoryFd, 0);
    memory_ = mapped == MAP_FAILED ? nullptr : static_cast<uint8_t*>(mapped);
  }
  if (memoryFd >= 0) {
    close(memoryFd);
  }
  listenFd_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = root_ + standin::kSocketFile;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
  if (memory_ == nullptr || listenFd_ < 0 ||
      bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(listenFd_, 16) != 0 || pipe2(wakeFds_, O_CLOEXEC | O_NONBLOCK) != 0) {
    Stop();
    return false;
  }
  // Other bits of the byte belong to other hardware; the stand-in keeps them set to see that
  // a program leaves them alone.
  powerBit_ = sim_.IsPowered();
  controllerSeen_ = sim_.IsPresent(SimDevice::Controller);
  memory_[kPowerByteOffset] = static_cast<uint8_t>(0xA4 | (powerBit_ ? 1 : 0));
  Publish();
  stopping_ = false;
  server_ = std::thread(&StandInHost::Serve, this);
  return true;
}

void StandInHost::Stop() {
  stopping_ = true;
  if (server_.joinable()) {
    ssize_t ignored = write(wakeFds_[1], "x", 1);
    (void)ignored;
    server_.join();
  }
  for (Connection& connection : connections_) {
    HangUp(connection);
  }
  connections_.clear();
  for (int* fd : {&listenFd_, &wakeFds_[0], &wakeFds_[1]}) {
    if (*fd >= 0) {
      close(*fd);
      *fd = -1;
    }
  }
  if (memory_ != nullptr) {
    munmap(memory_, standin::kMemoryWindowSize);
    memory_ = nullptr;
  }
  if (!root_.empty()) {
    const char* exported = std::getenv(standin::kRootVariable);
    if (exported != nullptr && root_ == exported) {
      unsetenv(standin::kRootVariable);
    }
    RemoveTree(root_);
    root_.clear();
    devTree_.SetRoot(root_);
  }
  published_.clear();
}

void StandInHost::ExportRoot() const {
  setenv(standin::kRootVariable, root_.c_str(), 1);
}

bool StandInHost::SetProcessCgroup(pid_t pid, const std::string& text) {
  const std::string folder = root_ + standin::kProcFolder + "/" + std::to_string(pid);
  mkdir((root_ + standin::kProcFolder).c_str(), 0755);
  mkdir(folder.c_str(), 0755);
  return WriteFile(folder + "/cgroup", text);
}

void StandInHost::SetMemoryAccess(MemoryAccess access) {
  const char* word = "";
  switch (access) {
    case MemoryAccess::kAllowed:
      unlink((root_ + standin::kMemoryRefusalFile).c_str());
      return;
    case MemoryAccess::kNotRoot:
      word = "open-eacces";
      break;
    case MemoryAccess::kLockedDown:
      word = "open-eperm";
      break;
    case MemoryAccess::kStrictDevMem:
      word = "map-eperm";
      break;
    case MemoryAccess::kMissing:
      word = "missing";
      break;
  }
  WriteFile(root_ + standin::kMemoryRefusalFile, word);
}

uint8_t StandInHost::PowerByte() const {
  return memory_ != nullptr ? __atomic_load_n(&memory_[kPowerByteOffset], __ATOMIC_RELAXED) : 0;
}

void StandInHost::FollowPowerBit() {
  const bool bit = (PowerByte() & 1) != 0;
  if (bit != powerBit_) {
    powerBit_ = bit;
    sim_.SetPower(bit);
  }
}

void StandInHost::SetCommandNodeLate(uint32_t ms, bool listed) {
  commandNodeListed_ = listed;
  commandNodeLateMs_ = ms;
}

bool StandInHost::CommandNodeLate() const {
  return SteadyMs() < commandNodeFromMs_;
}

std::vector<StandInNode> StandInHost::Nodes() {
  const bool present = sim_.IsPresent(SimDevice::Controller);
  if (present && !controllerSeen_) {
    commandNodeFromMs_ = SteadyMs() + commandNodeLateMs_;  // back from a power cycle
  }
  controllerSeen_ = present;
  std::vector<StandInNode> nodes = PresentNodes(sim_);
  if (CommandNodeLate() && !commandNodeListed_) {
    nodes.erase(
        std::remove_if(nodes.begin(), nodes.end(),
                       [](const StandInNode& n) { return n.role == NodeRole::kController; }),
        nodes.end());
  }
  return nodes;
}

void StandInHost::Publish() {
  std::vector<StandInNode> nodes = Nodes();
  std::vector<std::string> keys;
  for (const StandInNode& node : nodes) {
    keys.push_back(Key(node));
  }
  for (const std::string& key : published_) {
    if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
      // Moved aside first, so that a reader sees the node whole or not at all.
      const uint32_t number = static_cast<uint32_t>(std::stoul(key));
      const std::string gone = root_ + "/sys/.gone-" + std::to_string(number);
      RemoveTree(gone);
      rename(NodeDir(root_, number).c_str(), gone.c_str());
      RemoveTree(gone);
    }
  }
  std::vector<uint32_t> numbers;
  for (const StandInNode& node : nodes) {
    numbers.push_back(node.number);
  }
  devTree_.Sync(numbers);  // the device nodes are there before sysfs lists a new one
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (std::find(published_.begin(), published_.end(), keys[i]) != published_.end()) {
      continue;
    }
    const std::string fresh = root_ + "/sys/.new-" + std::to_string(nodes[i].number);
    RemoveTree(fresh);
    mkdir(fresh.c_str(), 0755);
    mkdir((fresh + "/device").c_str(), 0755);
    WriteFile(fresh + "/device/uevent", nodes[i].uevent);
    WriteFile(fresh + "/device/report_descriptor", nodes[i].descriptor);
    WriteFile(fresh + "/dev", StandInNodeNumbersText(nodes[i].number));
    rename(fresh.c_str(), NodeDir(root_, nodes[i].number).c_str());
  }
  published_ = std::move(keys);
}

void StandInHost::Serve() {
  while (!stopping_) {
    FollowPowerBit();
    Publish();
    int waitMs = kWatchMs;
    SendDueReplies(&waitMs);
    connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                      [](const Connection& c) { return c.fd < 0; }),
                       connections_.end());
    std::vector<pollfd> fds = {{wakeFds_[0], POLLIN, 0}, {listenFd_, POLLIN, 0}};
    for (const Connection& connection : connections_) {
      fds.push_back({connection.fd, POLLIN, 0});
    }
    if (poll(fds.data(), fds.size(), waitMs) <= 0) {
      continue;
    }
    if (fds[1].revents & POLLIN) {
      Accept();
    }
    for (size_t i = 2; i < fds.size(); ++i) {
      Connection& connection = connections_[i - 2];
      if (fds[i].revents == 0 || connection.fd < 0) {
        continue;
      }
      if (!connection.opened) {
        HandleOpen(connection);
      } else {
        HandleRequest(connection);
      }
    }
  }
}

void StandInHost::Accept() {
  for (;;) {
    int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
      return;
    }
    Connection connection;
    connection.fd = fd;
    connections_.push_back(connection);
  }
}

void StandInHost::HandleOpen(Connection& connection) {
  standin::OpenRequest request;
  if (recv(connection.fd, &request, sizeof(request), 0) != sizeof(request)) {
    HangUp(connection);
    return;
  }
  ++openCount_;
  standin::OpenReply reply;
  reply.error = ENOENT;
  for (const StandInNode& node : Nodes()) {
    if (node.number != request.node) {
      continue;
    }
    connection.role = node.role;
    reply.error = 0;
    if (nodesDenied_ && node.role != NodeRole::kUnrelated) {
      reply.error = EACCES;
    } else if (node.role == NodeRole::kController && CommandNodeLate()) {
      reply.error = ENOENT;  // listed, but its device node is not there yet
    } else if (node.role == NodeRole::kController) {
      connection.simConnection = sim_.Connect(kControllerVid, kControllerPid);
    } else if (node.role == NodeRole::kBootLoader) {
      connection.simConnection = sim_.Connect(kBootLoaderVid, kBootLoaderPid);
    }
    if (reply.error == 0 &&
        (node.role == NodeRole::kController || node.role == NodeRole::kBootLoader) &&
        connection.simConnection == 0) {
      reply.error = ENOENT;  // gone between the listing and the connect
    }
  }
  if (reply.error == 0) {
    // Recorded before the program learns that its open succeeded, so that it sees the node.
    connection.programInode = request.socketInode;
    devTree_.Hold(request.socketInode, request.node);
  }
  send(connection.fd, &reply, sizeof(reply), MSG_NOSIGNAL);
  if (reply.error != 0) {
    HangUp(connection);
    return;
  }
  connection.opened = true;
}

void StandInHost::HandleRequest(Connection& connection) {
  uint8_t buffer[4096];
  const ssize_t n = recv(connection.fd, buffer, sizeof(buffer), 0);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
    return;
  }
  if (n <= 0) {
    HangUp(connection);  // the program closed the node
    return;
  }
  if (connection.simConnection == 0) {
    return;  // a device that takes reports and never answers
  }
  if (!sim_.HostWrite(connection.simConnection, buffer, static_cast<size_t>(n))) {
    uint32_t due = 0;
    if (sim_.PeekReply(connection.simConnection, &due) == ReplyStatus::Gone) {
      HangUp(connection);
    }
  }
}

void StandInHost::SendDueReplies(int* waitMs) {
  const uint32_t now = SimNowMs();
  for (Connection& connection : connections_) {
    if (connection.fd < 0 || !connection.opened) {
      continue;
    }
    if (connection.simConnection == 0) {
      if (!RolePresent(sim_, connection.role)) {
        HangUp(connection);  // unplugged with the controller
      }
      continue;
    }
    for (;;) {
      uint32_t due = 0;
      const ReplyStatus status = sim_.PeekReply(connection.simConnection, &due);
      if (status == ReplyStatus::Gone) {
        HangUp(connection);
        break;
      }
      if (status == ReplyStatus::None) {
        break;
      }
      const int32_t left = static_cast<int32_t>(due - now);
      if (left > 0) {
        *waitMs = std::min(*waitMs, static_cast<int>(left));
        break;
      }
      SimReply reply;
      if (!sim_.TakeReply(connection.simConnection, &reply)) {
        break;
      }
      // hidraw hands an unnumbered report over without its id byte.
      const size_t count = reply.count > 0 ? reply.count - 1u : 0u;
      send(connection.fd, reply.wire.data() + 1, count, MSG_NOSIGNAL | MSG_DONTWAIT);
    }
  }
}

void StandInHost::HangUp(Connection& connection) {
  devTree_.Release(connection.programInode);
  connection.programInode = 0;
  if (connection.simConnection != 0) {
    sim_.Disconnect(connection.simConnection);
    connection.simConnection = 0;
  }
  if (connection.fd >= 0) {
    close(connection.fd);
    connection.fd = -1;
  }
}
