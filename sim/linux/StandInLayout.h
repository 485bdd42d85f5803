// What the stand-in for the kernel's hidraw nodes, sysfs and /dev/mem (standin/, loaded into
// a program with LD_PRELOAD) and the host that serves the controller simulator behind it
// (host/) agree on: the folder they share, the files in it and the messages on its socket.
#pragma once

#include <cstddef>
#include <cstdint>

namespace standin {

// The environment variable that names the shared folder. Without it the stand-in passes
// every call through untouched.
inline constexpr char kRootVariable[] = "PADWRIGHT_STANDIN_ROOT";

// Paths the stand-in serves from the folder: sysfs's hidraw and power-supply classes as plain
// trees (the power supplies are whatever a test writes there; none by default), root's lock
// folder, root's backup folder, /dev/mem as a one-page file, and the hidraw nodes through
// the host's socket.
inline constexpr char kSysfsClass[] = "/sys/class/hidraw";
inline constexpr char kPowerSupplyClass[] = "/sys/class/power_supply";
inline constexpr char kLockFolder[] = "/run/padwright";
// root's saved configuration backups: a run as root (as CI runs the tests) keeps them in the
// folder instead of the machine's /var/lib.
inline constexpr char kStateFolder[] = "/var/lib/padwright";
inline constexpr char kDevMem[] = "/dev/mem";
inline constexpr char kHidrawPrefix[] = "/dev/hidraw";

// A user's runtime folder ($XDG_RUNTIME_DIR) in the folder, for the runs of the tests.
inline constexpr char kUserRuntimeFolder[] = "/run/user";

// Files of the folder.
inline constexpr char kSocketFile[] = "/hidraw.sock";
inline constexpr char kMemoryFile[] = "/mem";
// One word saying how /dev/mem refuses (absent: it does not): "open-eacces", "open-eperm",
// "map-eperm" or "missing".
inline constexpr char kMemoryRefusalFile[] = "/mem-refusal";
// While this file exists, root's state folder is on a full disk: files open and are made as
// ever, but every write to one fails with ENOSPC.
inline constexpr char kStateFullFile[] = "/state-full";

// Device nodes. The folder's dev/ is the machine's /dev as far as hidraw goes: the host puts
// a file there for each node (dev/hidrawN, or wherever a test moved it), and a program sees
// each such file as the character device it names, by its first line:
// "<kCharNodeMarker><major>:<minor>". A node a program makes with mknod under a served folder
// (root's /run/padwright) becomes such a file too. sysfs gives each node's numbers in its
// "dev" file; minor N is node hidrawN.
inline constexpr char kDevFolder[] = "/dev";
inline constexpr char kCharNodeMarker[] = "padwright-standin-char ";
inline constexpr unsigned kHidrawMajor = 241;
// The nodes open now, by the inode of the program's end of each connection: held/<inode>
// holds "<major>:<minor>", so that a program looking at another's /proc/PID/fd sees which
// node it holds. The host writes each when the open succeeds and removes it at hang-up.
inline constexpr char kHeldFolder[] = "/held";
// Files of /proc/<pid>/ that a test gives a process instead of its own (only "cgroup").
inline constexpr char kProcFolder[] = "/proc";

// The physical page that the memory file stands for: the one holding the power byte.
inline constexpr uint64_t kMemoryWindowBase = 0xFE800000;
inline constexpr size_t kMemoryWindowSize = 4096;

// The first message on a new connection to the socket asks for a node; the host answers 0
// (the connection is now that node) or an errno value.
struct OpenRequest {
  uint32_t node = 0;
  uint64_t socketInode = 0;  // the program's end of this connection (see kHeldFolder)
};
struct OpenReply {
  int32_t error = 0;
};

}  // namespace standin
