// What the two parts of the stand-in (StandIn.cpp: files, nodes, memory; StandInDevices.cpp:
// device numbers, /dev, mknod, who holds a node) call of each other.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace standin_impl {

// The shared folder, or null when the environment names none (then nothing is served).
const char* Root();
// The folder's copy of a path under one of the served folders; false for any other path.
bool Redirect(const char* path, char* out, size_t size);
// A connection to the host that the host has made node `node`; -1 with errno.
int OpenHidraw(uint32_t node, int flags);

// The inode of a socket's own end, as /proc/PID/fd shows it ("socket:[inode]"); 0 if unknown.
uint64_t SocketInode(int fd);
// Opens what the stand-in serves among device paths (the folder's /dev tree, a node file under
// a served folder, a process file a test gave); false for a path it leaves to the others.
bool ServeDevicePath(const char* path, int flags, int* result);
// The folder's copy of a /dev path while the folder has a /dev tree; false otherwise.
bool RedirectDevice(const char* path, char* out, size_t size);

}  // namespace standin_impl
