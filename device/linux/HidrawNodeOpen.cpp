// Opens a hidraw node by its device numbers (see HidrawNodeOpen.h).
#include "device/linux/HidrawNodeOpen.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <set>

#include "platform/PrintableText.h"

namespace {

constexpr char kDevFolder[] = "/dev";
constexpr char kRootFolder[] = "/run/padwright";
// Bounds on the walk of /dev: daemons' folders are a level or two down; nothing more is read.
constexpr int kMaxDepth = 4;
constexpr int kMaxEntries = 20000;
constexpr int kOpenFlags = O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW;

bool IsNode(const struct stat& info, dev_t numbers) {
  return S_ISCHR(info.st_mode) && info.st_rdev == numbers;
}

// Whether `path` itself (not a link to it) is the character device `numbers`.
bool PathIsNode(const std::string& path, dev_t numbers) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && IsNode(info, numbers);
}

bool FindUnder(const std::string& folder, dev_t numbers, int depth, int* budget,
               std::string* found) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) {
    return false;
  }
  bool done = false;
  while (!done && --*budget > 0) {
    const dirent* entry = readdir(dir);
    if (entry == nullptr) {
      break;
    }
    const std::string name = entry->d_name;
    if (name == "." || name == "..") {
      continue;
    }
    const std::string path = folder + "/" + name;
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
      continue;
    }
    if (IsNode(info, numbers)) {
      *found = path;
      done = true;
    } else if (S_ISDIR(info.st_mode) && depth < kMaxDepth) {
      done = FindUnder(path, numbers, depth + 1, budget, found);
    }
  }
  closedir(dir);
  return done;
}

// Opens `path` and keeps it only if it is the device `numbers`; -1 with errno otherwise.
int OpenChecked(const std::string& path, dev_t numbers) {
  const int fd = open(path.c_str(), kOpenFlags);
  struct stat info {};
  if (fd >= 0 && (fstat(fd, &info) != 0 || !IsNode(info, numbers))) {
    close(fd);
    errno = ENXIO;  // something else got there between the look and the open
    return -1;
  }
  return fd;
}

// Root's folder under /run: only root writes there, and only root may write in it.
bool RootFolderReady() {
  if (mkdir(kRootFolder, 0755) != 0 && errno != EEXIST) {
    return false;
  }
  struct stat info {};
  return lstat(kRootFolder, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == 0 &&
         (info.st_mode & 022) == 0;
}

// A node of root's own for `numbers`: made, opened and removed again, so that nothing of it
// stays behind and no one else could open it meanwhile (mode 0600 in a folder only root
// writes).
int OpenPrivateNode(const HidrawNode& node, std::string* path) {
  if (geteuid() != 0 || !RootFolderReady()) {
    errno = ENOENT;
    return -1;
  }
  *path = std::string(kRootFolder) + "/hidraw" + std::to_string(node.number) + "-" +
          std::to_string(getpid());
  unlink(path->c_str());  // left by an earlier run of this pid that was killed
  if (mknod(path->c_str(), S_IFCHR | 0600, node.numbers) != 0) {
    return -1;
  }
  const int fd = OpenChecked(*path, node.numbers);
  const int error = errno;
  unlink(path->c_str());
  errno = error;
  return fd;
}

std::string Numbers(dev_t numbers) {
  return std::to_string(major(numbers)) + ":" + std::to_string(minor(numbers));
}

// Says a route other than by name once per path, on the scans' log.
void LogRoute(const HidrawNode& node, const HidrawNodeOpen& opened) {
  static std::mutex mutex;
  static std::set<std::string> said;
  FILE* log = HidrawScanLog();
  if (log == nullptr || opened.route == HidrawRoute::kByName) {
    return;
  }
  std::lock_guard<std::mutex> lock(mutex);
  if (said.insert(node.devicePath + " " + opened.path).second) {
    std::fprintf(log, "padwright: %s opened through %s\n", EscapeControls(node.devicePath).c_str(),
                 DescribeHidrawRoute(node, opened).c_str());
  }
}

HidrawNodeOpen Route(const HidrawNode& node) {
  HidrawNodeOpen opened;
  opened.path = node.devicePath;
  if (!node.numbersKnown) {
    opened.fd = open(node.devicePath.c_str(), kOpenFlags);
    return opened;
  }
  if (PathIsNode(node.devicePath, node.numbers)) {
    opened.fd = OpenChecked(node.devicePath, node.numbers);
    return opened;
  }
  int budget = kMaxEntries;
  if (FindUnder(kDevFolder, node.numbers, 1, &budget, &opened.path)) {
    opened.route = HidrawRoute::kByNumbers;
    opened.fd = OpenChecked(opened.path, node.numbers);
    return opened;
  }
  opened.route = HidrawRoute::kPrivate;
  opened.fd = OpenPrivateNode(node, &opened.path);
  return opened;
}

}  // namespace

HidrawNodeOpen OpenHidrawNode(const HidrawNode& node) {
  HidrawNodeOpen opened = Route(node);
  if (opened.fd >= 0) {
    LogRoute(node, opened);
  }
  return opened;
}

std::string DescribeHidrawRoute(const HidrawNode& node, const HidrawNodeOpen& opened) {
  switch (opened.route) {
    case HidrawRoute::kByName:
      break;
    case HidrawRoute::kByNumbers:
      return EscapeControls(opened.path) + " (found by its device numbers " +
             Numbers(node.numbers) + "; " + EscapeControls(node.devicePath) + " is not it)";
    case HidrawRoute::kPrivate:
      return "a private node for " + Numbers(node.numbers) + " (" +
             EscapeControls(node.devicePath) + " is not it and no node under /dev has its numbers)";
  }
  return EscapeControls(opened.path);
}
