// Whether a file is flock()ed by some process, read from /proc/locks: the one way to see
// another user's lock on a file one may not open (and so could never hold a lock on).
#pragma once

#include <sys/types.h>

// Whether /proc/locks names a granted FLOCK lock (a waiter does not count) on the file with
// device `dev` and inode `inode`; false when it cannot be read.
bool FileHasFlock(dev_t dev, ino_t inode);
