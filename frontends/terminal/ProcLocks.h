// The flock()s of the machine, read from /proc/locks: the one way to see another user's lock
// on a file one may not open (and so could never hold a lock on), and who holds it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// A granted FLOCK lock (a waiter does not count): the process that took it, and its file.
struct FileFlock {
  pid_t pid = 0;  // 0 when /proc/locks cannot name it (a process of another pid namespace)
  dev_t dev = 0;
  ino_t inode = 0;
};

// The granted FLOCK locks that the text of /proc/locks lists.
std::vector<FileFlock> ParseFlocks(const std::string& locksText);
// Those of /proc/locks now; none when it cannot be read.
std::vector<FileFlock> GrantedFlocks();

// Whether the file with device `dev` and inode `inode` is flock()ed now; `holder` gets the
// pid that took the lock (0 when unknown).
bool FileHasFlock(dev_t dev, ino_t inode, pid_t* holder);
