// Runs of padwright of other users (see OtherUsersRun.h).
#include "frontends/terminal/OtherUsersRun.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "frontends/terminal/SharedController.h"
#include "platform/linux/DeviceHolders.h"

namespace {

constexpr char kProgram[] = "padwright";
constexpr char kLockFileName[] = "/padwright.lock";

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string ReadComm(const std::string& folder) {
  const int fd = open((folder + "/comm").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return std::string();
  }
  char buffer[64];
  const ssize_t n = read(fd, buffer, sizeof(buffer));
  close(fd);
  std::string comm(buffer, n > 0 ? static_cast<size_t>(n) : 0);
  if (!comm.empty() && comm.back() == '\n') {
    comm.pop_back();
  }
  return comm;
}

// Whether the process of `folder` is padwright and not of `self`.
bool IsOtherUsersPadwright(const std::string& folder, uid_t self) {
  struct stat owner {};
  return stat(folder.c_str(), &owner) == 0 && owner.st_uid != self && ReadComm(folder) == kProgram;
}

// Whether the process of `folder` has the file `dev`/`inode` open under the lock file's name.
bool HasLockFileOpen(const std::string& folder, dev_t dev, ino_t inode) {
  const std::string fds = folder + "/fd";
  DIR* dir = opendir(fds.c_str());
  if (dir == nullptr) {
    return false;
  }
  bool found = false;
  while (const dirent* entry = readdir(dir)) {
    const std::string link = fds + "/" + entry->d_name;
    char target[4096];
    const ssize_t n = readlink(link.c_str(), target, sizeof(target));
    struct stat info {};
    if (entry->d_name[0] != '.' && n > 0 && static_cast<size_t>(n) < sizeof(target) &&
        EndsWith(std::string(target, static_cast<size_t>(n)), kLockFileName) &&
        stat(link.c_str(), &info) == 0 && info.st_dev == dev && info.st_ino == inode) {
      found = true;
      break;
    }
  }
  closedir(dir);
  return found;
}

}  // namespace

bool FindOtherUsersRunIn(const std::string& procRoot, const std::vector<dev_t>& nodes,
                         const std::vector<FileFlock>& flocks, uid_t self, pid_t selfPid,
                         pid_t* pid) {
  for (const DeviceHolder& holder : FindDeviceHolders(nodes, selfPid, procRoot)) {
    if (holder.uid != self && holder.command == kProgram) {
      *pid = holder.pid;
      return true;
    }
  }
  for (const FileFlock& flock : flocks) {
    const std::string folder = procRoot + "/" + std::to_string(flock.pid);
    if (flock.pid > 0 && flock.pid != selfPid && IsOtherUsersPadwright(folder, self) &&
        HasLockFileOpen(folder, flock.dev, flock.inode)) {
      *pid = flock.pid;
      return true;
    }
  }
  return false;
}

bool FindOtherUsersRun(pid_t* pid) {
  return FindOtherUsersRunIn("/proc", ControllerNodeNumbers(), GrantedFlocks(), geteuid(), getpid(),
                             pid);
}
