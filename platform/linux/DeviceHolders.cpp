// The processes that hold a device open (see DeviceHolders.h).
#include "platform/linux/DeviceHolders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The cgroup path of the line that systemd manages; empty when there is none.
std::string SystemdPath(const std::string& cgroupText) {
  std::istringstream lines(cgroupText);
  std::string line;
  std::string unified;
  while (std::getline(lines, line)) {
    const size_t first = line.find(':');
    const size_t second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos) {
      continue;
    }
    const std::string controllers = line.substr(first + 1, second - first - 1);
    if (controllers == "name=systemd") {
      return line.substr(second + 1);  // a hybrid layout: systemd's own hierarchy
    }
    if (line.compare(0, first, "0") == 0 && controllers.empty()) {
      unified = line.substr(second + 1);
    }
  }
  return unified;
}

std::string ReadSmall(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return std::string();
  }
  char buffer[4096];
  const ssize_t n = read(fd, buffer, sizeof(buffer));
  close(fd);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

bool HoldsOne(const std::string& fdFolder, const std::vector<dev_t>& devices) {
  DIR* dir = opendir(fdFolder.c_str());
  if (dir == nullptr) {
    return false;
  }
  bool holds = false;
  while (const dirent* entry = readdir(dir)) {
    struct stat info {};
    // stat follows the fd's link to what is open: a deleted node still counts.
    if (entry->d_name[0] != '.' && stat((fdFolder + "/" + entry->d_name).c_str(), &info) == 0 &&
        S_ISCHR(info.st_mode) &&
        std::find(devices.begin(), devices.end(), info.st_rdev) != devices.end()) {
      holds = true;
      break;
    }
  }
  closedir(dir);
  return holds;
}

// The UID of a user manager's unit name "user@UID.service"; false for any other name.
bool UserManagerUid(const std::string& name, uid_t* uid) {
  constexpr size_t kPrefix = 5;  // "user@"
  if (name.rfind("user@", 0) != 0 || !EndsWith(name, ".service") || name.size() <= kPrefix + 8) {
    return false;
  }
  const std::string digits = name.substr(kPrefix, name.size() - kPrefix - 8);
  if (digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  *uid = static_cast<uid_t>(std::stoull(digits));
  return true;
}

// The pid a /proc entry names, or 0 for any other entry.
pid_t PidOf(const char* name) {
  char* end = nullptr;
  const long pid = std::strtol(name, &end, 10);
  return name[0] >= '1' && name[0] <= '9' && *end == '\0' ? static_cast<pid_t>(pid) : 0;
}

}  // namespace

SystemdUnit UnitFromCgroup(const std::string& cgroupText) {
  const std::string path = SystemdPath(cgroupText);
  SystemdUnit unit;
  bool userManager = false;
  std::istringstream parts(path);
  std::string part;
  // The unit is the outermost service or scope, or for a user's manager the outermost below
  // it: cgroups below a unit are named by whoever runs in it (a delegated container, say),
  // and such a name must not become a unit that root is told to stop.
  while (std::getline(parts, part, '/')) {
    if (!EndsWith(part, ".service") && !EndsWith(part, ".scope")) {
      continue;
    }
    uid_t uid = 0;
    if (!userManager && unit.name.empty() && UserManagerUid(part, &uid)) {
      userManager = true;
      unit.managerUid = uid;
      continue;
    }
    unit.name = part;
    break;
  }
  const bool session = unit.name.rfind("session-", 0) == 0 && EndsWith(unit.name, ".scope");
  if (unit.name.empty() || session || unit.name == "init.scope") {
    return SystemdUnit{};
  }
  unit.manager = userManager ? SystemdUnit::Manager::kUser : SystemdUnit::Manager::kSystem;
  return unit;
}

bool IsPlainUnitName(const std::string& name) {
  static constexpr const char* kSuffixes[] = {".service",   ".socket", ".device", ".mount",
                                              ".automount", ".swap",   ".target", ".path",
                                              ".timer",     ".slice",  ".scope"};
  constexpr size_t kMaxLength = 255;
  if (name.empty() || name.size() > kMaxLength || name[0] == '-') {
    return false;
  }
  for (const char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == ':' || c == '_' || c == '.' || c == '@' || c == '-' || c == '\\';
    if (!plain) {
      return false;
    }
  }
  for (const char* suffix : kSuffixes) {
    const std::string end = suffix;
    if (name.size() > end.size() && EndsWith(name, end)) {
      return true;
    }
  }
  return false;
}

std::vector<DeviceHolder> FindDeviceHolders(const std::vector<dev_t>& devices, pid_t self,
                                            const std::string& procRoot) {
  std::vector<DeviceHolder> holders;
  DIR* proc = devices.empty() ? nullptr : opendir(procRoot.c_str());
  if (proc == nullptr) {
    return holders;
  }
  while (const dirent* entry = readdir(proc)) {
    const pid_t pid = PidOf(entry->d_name);
    const std::string folder = procRoot + "/" + entry->d_name;
    if (pid == 0 || pid == self || !HoldsOne(folder + "/fd", devices)) {
      continue;
    }
    DeviceHolder holder;
    holder.pid = pid;
    struct stat owner {};
    holder.uid = stat(folder.c_str(), &owner) == 0 ? owner.st_uid : static_cast<uid_t>(-1);
    holder.command = ReadSmall(folder + "/comm");
    if (!holder.command.empty() && holder.command.back() == '\n') {
      holder.command.pop_back();  // the kernel's; any other is the process's own, and shown
    }
    holder.unit = UnitFromCgroup(ReadSmall(folder + "/cgroup"));
    holders.push_back(std::move(holder));
  }
  closedir(proc);
  std::sort(holders.begin(), holders.end(),
            [](const DeviceHolder& a, const DeviceHolder& b) { return a.pid < b.pid; });
  return holders;
}
