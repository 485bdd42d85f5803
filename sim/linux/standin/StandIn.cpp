// The stand-in for the kernel's hidraw nodes, sysfs and /dev/mem, loaded into an unchanged
// program with LD_PRELOAD (or linked into a test). When the environment names a stand-in
// folder (standin::kRootVariable) it serves:
//  - /sys/class/hidraw/..., /sys/class/power_supply/..., /run/padwright/... and
//    /var/lib/padwright/... from the same paths under the folder, where the host keeps a
//    sysfs-like tree of the present nodes (and a test, when it wants one, a tree of power
//    supplies): opened, listed, made, renamed or removed;
//  - /dev/hidrawN as a SOCK_SEQPACKET connection to the host, so that report boundaries,
//    poll and non-blocking reads behave as on a hidraw node; a node whose device has gone
//    reads as EIO and writes as ENODEV, as the kernel's do;
//  - /dev/mem as a one-page file standing for the page of the power byte, with the refusals
//    a kernel makes (not root, lockdown, STRICT_DEVMEM) on request;
//  - /var/lib/padwright as a full disk on request: writes to its files fail with ENOSPC;
//  - device numbers, /dev as a tree of nodes, mknod and who holds a node: StandInDevices.cpp.
// Every other call goes to the C library untouched.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sim/linux/StandInLayout.h"
#include "sim/linux/standin/StandInCalls.h"

namespace {

enum class FdKind : uint8_t { kNone, kHidraw, kMemory, kFullDisk };

constexpr int kTrackedFds = 65536;
std::atomic<FdKind> fdKinds[kTrackedFds];

FdKind KindOf(int fd) {
  return fd >= 0 && fd < kTrackedFds ? fdKinds[fd].load(std::memory_order_relaxed) : FdKind::kNone;
}

void Track(int fd, FdKind kind) {
  if (fd >= 0 && fd < kTrackedFds) {
    fdKinds[fd].store(kind, std::memory_order_relaxed);
  }
}

template <typename Function>
Function Real(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// The C library's own calls, looked up once.
struct LibcCalls {
  int (*open)(const char*, int, ...) = Real<decltype(open)>("open");
  int (*openat)(int, const char*, int, ...) = Real<decltype(openat)>("openat");
  DIR* (*opendir)(const char*) = Real<decltype(opendir)>("opendir");
  int (*mkdir)(const char*, mode_t) = Real<decltype(mkdir)>("mkdir");
  int (*mkdirat)(int, const char*, mode_t) = Real<decltype(mkdirat)>("mkdirat");
  int (*rename)(const char*, const char*) = Real<decltype(rename)>("rename");
  int (*unlink)(const char*) = Real<decltype(unlink)>("unlink");
  ssize_t (*read)(int, void*, size_t) = Real<decltype(read)>("read");
  ssize_t (*write)(int, const void*, size_t) = Real<decltype(write)>("write");
  int (*close)(int) = Real<decltype(close)>("close");
  void* (*mmap)(void*, size_t, int, int, int, off_t) = Real<decltype(mmap)>("mmap");
};

const LibcCalls& Libc() {
  static const LibcCalls calls;
  return calls;
}

}  // namespace

namespace standin_impl {

const char* Root() {
  const char* root = std::getenv(standin::kRootVariable);
  return root != nullptr && root[0] == '/' ? root : nullptr;
}

bool StartsWithFolder(const char* path, const char* folder) {
  const size_t n = std::strlen(folder);
  return std::strncmp(path, folder, n) == 0 && (path[n] == '\0' || path[n] == '/');
}

// The folder's copy of a redirected path, in `out`; false for a path not redirected.
bool Redirect(const char* path, char* out, size_t size) {
  const char* root = Root();
  if (root == nullptr || path == nullptr ||
      !(StartsWithFolder(path, standin::kSysfsClass) ||
        StartsWithFolder(path, standin::kPowerSupplyClass) ||
        StartsWithFolder(path, standin::kLockFolder) ||
        StartsWithFolder(path, standin::kStateFolder))) {
    return false;
  }
  return std::snprintf(out, size, "%s%s", root, path) < static_cast<int>(size);
}

}  // namespace standin_impl

namespace {

using standin_impl::Redirect;
using standin_impl::Root;

bool HidrawNode(const char* path, uint32_t* node) {
  const size_t n = std::strlen(standin::kHidrawPrefix);
  if (Root() == nullptr || path == nullptr || std::strncmp(path, standin::kHidrawPrefix, n) != 0 ||
      path[n] < '0' || path[n] > '9') {
    return false;
  }
  char* end = nullptr;
  *node = static_cast<uint32_t>(std::strtoul(path + n, &end, 10));
  return *end == '\0';
}

int Fail(int error) {
  errno = error;
  return -1;
}

}  // namespace

namespace standin_impl {

// A connection to the host that the host has made node `node`.
int OpenHidraw(uint32_t node, int flags) {
  char socketPath[sizeof(sockaddr_un::sun_path)];
  if (std::snprintf(socketPath, sizeof(socketPath), "%s%s", Root(), standin::kSocketFile) >=
      static_cast<int>(sizeof(socketPath))) {
    return Fail(ENAMETOOLONG);
  }
  int fd = socket(AF_UNIX, SOCK_SEQPACKET | ((flags & O_CLOEXEC) ? SOCK_CLOEXEC : 0), 0);
  if (fd < 0) {
    return -1;
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, socketPath, sizeof(socketPath));
  standin::OpenRequest request;
  request.node = node;
  request.socketInode = SocketInode(fd);
  standin::OpenReply reply;
  reply.error = ENOENT;  // no host, no nodes
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      send(fd, &request, sizeof(request), MSG_NOSIGNAL) == sizeof(request)) {
    ssize_t n;
    do {
      n = recv(fd, &reply, sizeof(reply), 0);
    } while (n < 0 && errno == EINTR);
    if (n != sizeof(reply)) {
      reply.error = ENOENT;
    }
  }
  if (reply.error != 0) {
    Libc().close(fd);
    return Fail(reply.error);
  }
  if (flags & O_NONBLOCK) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  }
  Track(fd, FdKind::kHidraw);
  return fd;
}

}  // namespace standin_impl

namespace {

using standin_impl::OpenHidraw;

// The one-word refusal the host asked /dev/mem to make, or an empty text.
void MemoryRefusal(char* word, size_t size) {
  word[0] = '\0';
  char path[4096];
  std::snprintf(path, sizeof(path), "%s%s", Root(), standin::kMemoryRefusalFile);
  int fd = Libc().open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return;
  }
  ssize_t n = Libc().read(fd, word, size - 1);
  Libc().close(fd);
  word[n > 0 ? n : 0] = '\0';
  word[std::strcspn(word, "\n")] = '\0';
}

int OpenMemory(int flags) {
  char refusal[32];
  MemoryRefusal(refusal, sizeof(refusal));
  if (std::strcmp(refusal, "missing") == 0) {
    return Fail(ENOENT);
  }
  if (std::strcmp(refusal, "open-eacces") == 0) {
    return Fail(EACCES);
  }
  if (std::strcmp(refusal, "open-eperm") == 0) {
    return Fail(EPERM);
  }
  char path[4096];
  std::snprintf(path, sizeof(path), "%s%s", Root(), standin::kMemoryFile);
  int fd = Libc().open(path, (flags & ~(O_CREAT | O_TRUNC | O_SYNC)) | O_CLOEXEC);
  Track(fd, FdKind::kMemory);
  return fd;
}

bool StateDiskFull() {
  char path[4096];
  return std::snprintf(path, sizeof(path), "%s%s", Root(), standin::kStateFullFile) <
             static_cast<int>(sizeof(path)) &&
         access(path, F_OK) == 0;
}

// Serves the paths of the stand-in; false for any other, which the caller passes on.
bool Serve(const char* path, int flags, int* result) {
  uint32_t node = 0;
  if (HidrawNode(path, &node)) {
    *result = OpenHidraw(node, flags);
    return true;
  }
  if (Root() != nullptr && path != nullptr && std::strcmp(path, standin::kDevMem) == 0) {
    *result = OpenMemory(flags);
    return true;
  }
  return false;
}

int OpenPath(const char* path, int flags, mode_t mode) {
  int result = -1;
  if (standin_impl::ServeDevicePath(path, flags, &result) || Serve(path, flags, &result)) {
    return result;
  }
  char redirected[4096];
  if (Redirect(path, redirected, sizeof(redirected))) {
    const int fd = Libc().open(redirected, flags, mode);
    if ((flags & O_ACCMODE) != O_RDONLY &&
        standin_impl::StartsWithFolder(path, standin::kStateFolder) && StateDiskFull()) {
      Track(fd, FdKind::kFullDisk);
    }
    return fd;
  }
  return Libc().open(path, flags, mode);
}

// Not folded into the callers: their `path` is declared never null, ours may be.
bool IsAbsolute(const char* path) {
  return path != nullptr && path[0] == '/';
}

mode_t ModeArgument(int flags, va_list args) {
  return (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = ModeArgument(flags, args);
  va_end(args);
  return OpenPath(path, flags, mode);
}

int open64(const char* path, int flags, ...) __attribute__((alias("open")));

int __open_2(const char* path, int flags) {
  return OpenPath(path, flags, 0);
}

int __open64_2(const char* path, int flags) __attribute__((alias("__open_2")));

int openat(int dirfd, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = ModeArgument(flags, args);
  va_end(args);
  if (IsAbsolute(path)) {
    return OpenPath(path, flags, mode);
  }
  return Libc().openat(dirfd, path, flags, mode);
}

int openat64(int dirfd, const char* path, int flags, ...) __attribute__((alias("openat")));

DIR* opendir(const char* path) {
  char redirected[4096];
  return Libc().opendir(Redirect(path, redirected, sizeof(redirected)) ||
                                standin_impl::RedirectDevice(path, redirected, sizeof(redirected))
                            ? redirected
                            : path);
}

int mkdir(const char* path, mode_t mode) {
  char redirected[4096];
  return Libc().mkdir(Redirect(path, redirected, sizeof(redirected)) ? redirected : path, mode);
}

int mkdirat(int dirfd, const char* path, mode_t mode) {
  char redirected[4096];
  if (IsAbsolute(path) && Redirect(path, redirected, sizeof(redirected))) {
    return Libc().mkdir(redirected, mode);
  }
  return Libc().mkdirat(dirfd, path, mode);
}

int rename(const char* from, const char* to) {
  char redirectedFrom[4096];
  char redirectedTo[4096];
  return Libc().rename(
      Redirect(from, redirectedFrom, sizeof(redirectedFrom)) ? redirectedFrom : from,
      Redirect(to, redirectedTo, sizeof(redirectedTo)) ? redirectedTo : to);
}

int unlink(const char* path) {
  char redirected[4096];
  return Libc().unlink(Redirect(path, redirected, sizeof(redirected)) ? redirected : path);
}

ssize_t read(int fd, void* buffer, size_t count) {
  ssize_t n = Libc().read(fd, buffer, count);
  if (n == 0 && count > 0 && KindOf(fd) == FdKind::kHidraw) {
    return Fail(EIO);  // the host hung up: the device has gone
  }
  return n;
}

ssize_t __read_chk(int fd, void* buffer, size_t count, size_t) {
  return read(fd, buffer, count);
}

ssize_t write(int fd, const void* buffer, size_t count) {
  if (KindOf(fd) == FdKind::kFullDisk && count > 0) {
    return Fail(ENOSPC);
  }
  if (KindOf(fd) != FdKind::kHidraw) {
    return Libc().write(fd, buffer, count);
  }
  ssize_t n = send(fd, buffer, count, MSG_NOSIGNAL);
  if (n < 0 && (errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN)) {
    return Fail(ENODEV);
  }
  return n;
}

int close(int fd) {
  Track(fd, FdKind::kNone);
  return Libc().close(fd);
}

void* mmap(void* address, size_t length, int protection, int flags, int fd, off_t offset) {
  if (KindOf(fd) != FdKind::kMemory) {
    return Libc().mmap(address, length, protection, flags, fd, offset);
  }
  char refusal[32];
  MemoryRefusal(refusal, sizeof(refusal));
  if (std::strcmp(refusal, "map-eperm") == 0) {
    errno = EPERM;
    return MAP_FAILED;
  }
  const uint64_t start = static_cast<uint64_t>(offset);
  if (start < standin::kMemoryWindowBase ||
      start + length > standin::kMemoryWindowBase + standin::kMemoryWindowSize) {
    errno = EINVAL;  // only the page of the power byte is stood in for
    return MAP_FAILED;
  }
  return Libc().mmap(address, length, protection, flags, fd,
                     static_cast<off_t>(start - standin::kMemoryWindowBase));
}

void* mmap64(void* address, size_t length, int protection, int flags, int fd, off_t offset)
    __attribute__((alias("mmap")));

}  // extern "C"
