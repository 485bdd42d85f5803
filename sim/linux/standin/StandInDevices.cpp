// The stand-in's device numbers (see sim/linux/StandInLayout.h): node files in the folder
// that programs see as character devices (stat, lstat, fstatat, fstat), /dev served from
// the folder's tree, mknod of a character device under a served folder made into such a
// file, a hidraw connection seen as its node by another process (/proc/PID/fd), and the
// /proc/PID/cgroup a test gives a process.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sim/linux/StandInLayout.h"
#include "sim/linux/standin/StandInCalls.h"

namespace {

template <typename Function>
Function Real(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

struct StatCalls {
  int (*stat)(const char*, struct stat*) = Real<decltype(stat)>("stat");
  int (*lstat)(const char*, struct stat*) = Real<decltype(lstat)>("lstat");
  int (*fstat)(int, struct stat*) = Real<decltype(fstat)>("fstat");
  int (*fstatat)(int, const char*, struct stat*, int) = Real<decltype(fstatat)>("fstatat");
  int (*mknod)(const char*, mode_t, dev_t) = Real<decltype(mknod)>("mknod");
  int (*mknodat)(int, const char*, mode_t, dev_t) = Real<decltype(mknodat)>("mknodat");
  int (*open)(const char*, int, ...) = Real<decltype(open)>("open");
};

const StatCalls& Calls() {
  static const StatCalls calls;
  return calls;
}

// Reads the small text file `path` into `text`; false when it cannot be read.
bool ReadText(const char* path, char* text, size_t size) {
  const int fd = Calls().open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  const ssize_t n = read(fd, text, size - 1);
  close(fd);
  text[n > 0 ? n : 0] = '\0';
  return n > 0;
}

bool ParseNumbers(const char* text, dev_t* numbers) {
  unsigned major = 0, minor = 0;
  if (std::sscanf(text, "%u:%u", &major, &minor) != 2) {
    return false;
  }
  *numbers = makedev(major, minor);
  return true;
}

// The numbers a node file of the folder stands for; false for any other file.
bool NodeFileNumbers(const char* path, const struct stat& info, dev_t* numbers) {
  const size_t marker = std::strlen(standin::kCharNodeMarker);
  char text[64];
  return S_ISREG(info.st_mode) && info.st_size < 64 && ReadText(path, text, sizeof(text)) &&
         std::strncmp(text, standin::kCharNodeMarker, marker) == 0 &&
         ParseNumbers(text + marker, numbers);
}

// The numbers of the node that a hidraw connection with this inode stands for.
bool HeldNumbers(const struct stat& info, dev_t* numbers) {
  const char* root = standin_impl::Root();
  char path[4096];
  char text[64];
  return root != nullptr && S_ISSOCK(info.st_mode) &&
         std::snprintf(path, sizeof(path), "%s%s/%llu", root, standin::kHeldFolder,
                       static_cast<unsigned long long>(info.st_ino)) <
             static_cast<int>(sizeof(path)) &&
         ReadText(path, text, sizeof(text)) && ParseNumbers(text, numbers);
}

void ShowAsNode(struct stat* info, dev_t numbers) {
  info->st_mode = S_IFCHR | (info->st_mode & 07777);
  info->st_rdev = numbers;
  info->st_size = 0;
}

// Makes what the real call found look as the program should see it: a node file or a held
// connection as the character device it stands for.
int Present(int result, const char* realPath, struct stat* info) {
  dev_t numbers = 0;
  if (result == 0 && ((realPath != nullptr && NodeFileNumbers(realPath, *info, &numbers)) ||
                      HeldNumbers(*info, &numbers))) {
    ShowAsNode(info, numbers);
  }
  return result;
}

// Not folded into the callers: their `path` is declared never null, ours may be.
bool IsAbsolute(const char* path) {
  return path != nullptr && path[0] == '/';
}

bool IsHidrawName(const char* path) {
  const size_t n = std::strlen(standin::kHidrawPrefix);
  return std::strncmp(path, standin::kHidrawPrefix, n) == 0 && path[n] >= '0' && path[n] <= '9';
}

// The folder's copy of `path` for stat and open: a /dev path of the tree, or a served folder's.
bool FolderCopy(const char* path, char* out, size_t size) {
  return standin_impl::RedirectDevice(path, out, size) || standin_impl::Redirect(path, out, size);
}

// A /proc/<pid>/cgroup that a test wrote for that process.
bool ProcOverride(const char* path, char* out, size_t size) {
  const char* root = standin_impl::Root();
  unsigned pid = 0;
  char rest[16] = {};
  if (root == nullptr || std::sscanf(path, "/proc/%u/%15s", &pid, rest) != 2 ||
      std::strcmp(rest, "cgroup") != 0 ||
      std::snprintf(out, size, "%s%s", root, path) >= static_cast<int>(size)) {
    return false;
  }
  return access(out, R_OK) == 0;
}

int MakeNodeFile(const char* folderPath, mode_t mode, dev_t numbers) {
  const int fd = Calls().open(folderPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 07777);
  if (fd < 0) {
    return -1;
  }
  char text[64];
  const int length = std::snprintf(text, sizeof(text), "%s%u:%u\n", standin::kCharNodeMarker,
                                   major(numbers), minor(numbers));
  const bool written = write(fd, text, static_cast<size_t>(length)) == length;
  close(fd);
  return written ? 0 : -1;
}

}  // namespace

namespace standin_impl {

uint64_t SocketInode(int fd) {
  struct stat info {};
  return Calls().fstat(fd, &info) == 0 ? info.st_ino : 0;
}

bool RedirectDevice(const char* path, char* out, size_t size) {
  const char* root = Root();
  const size_t n = std::strlen(standin::kDevFolder);
  if (root == nullptr || path == nullptr || std::strncmp(path, standin::kDevFolder, n) != 0 ||
      (path[n] != '\0' && path[n] != '/') ||
      std::snprintf(out, size, "%s%s", root, standin::kDevFolder) >= static_cast<int>(size)) {
    return false;
  }
  struct stat info {};
  if (Calls().stat(out, &info) != 0) {
    return false;  // a folder without a tree: /dev is the machine's
  }
  std::snprintf(out, size, "%s%s", root, path);
  // The tree decides about hidraw names and the folder itself; other paths (/dev/null, a
  // terminal) are the machine's unless the tree has them.
  return path[n] == '\0' || IsHidrawName(path) || Calls().lstat(out, &info) == 0;
}

bool ServeDevicePath(const char* path, int flags, int* result) {
  char copy[4096];
  if (path == nullptr || Root() == nullptr) {
    return false;
  }
  if (ProcOverride(path, copy, sizeof(copy))) {
    *result = Calls().open(copy, flags & ~(O_CREAT | O_TRUNC));
    return true;
  }
  struct stat info {};
  dev_t numbers = 0;
  if (!FolderCopy(path, copy, sizeof(copy)) || Calls().stat(copy, &info) != 0 ||
      !NodeFileNumbers(copy, info, &numbers)) {
    if (RedirectDevice(path, copy, sizeof(copy)) && IsHidrawName(path)) {
      errno = ENOENT;  // not in the tree: no such node
      *result = -1;
      return true;
    }
    return false;
  }
  if (major(numbers) != standin::kHidrawMajor) {
    errno = ENXIO;  // a device the stand-in has nothing behind
    *result = -1;
    return true;
  }
  *result = OpenHidraw(minor(numbers), flags);
  return true;
}

}  // namespace standin_impl

extern "C" {

int stat(const char* path, struct stat* info) noexcept {
  char copy[4096];
  if (FolderCopy(path, copy, sizeof(copy))) {
    return Present(Calls().stat(copy, info), copy, info);
  }
  return Present(Calls().stat(path, info), nullptr, info);
}

int lstat(const char* path, struct stat* info) noexcept {
  char copy[4096];
  if (FolderCopy(path, copy, sizeof(copy))) {
    return Present(Calls().lstat(copy, info), copy, info);
  }
  return Calls().lstat(path, info);
}

int fstatat(int dirfd, const char* path, struct stat* info, int flags) noexcept {
  if (IsAbsolute(path) && (flags & ~AT_SYMLINK_NOFOLLOW) == 0) {
    return (flags & AT_SYMLINK_NOFOLLOW) ? lstat(path, info) : stat(path, info);
  }
  return Calls().fstatat(dirfd, path, info, flags);
}

int fstat(int fd, struct stat* info) noexcept {
  return Present(Calls().fstat(fd, info), nullptr, info);
}

int mknod(const char* path, mode_t mode, dev_t numbers) noexcept {
  char copy[4096];
  if (FolderCopy(path, copy, sizeof(copy))) {
    return S_ISCHR(mode) ? MakeNodeFile(copy, mode, numbers) : Calls().mknod(copy, mode, numbers);
  }
  return Calls().mknod(path, mode, numbers);
}

int mknodat(int dirfd, const char* path, mode_t mode, dev_t numbers) noexcept {
  if (IsAbsolute(path)) {
    return mknod(path, mode, numbers);
  }
  return Calls().mknodat(dirfd, path, mode, numbers);
}

}  // extern "C"
