// Writing a whole text to a file descriptor, through short writes and interrupted ones, and
// making the temporary file it goes into.
#pragma once

#include <sys/types.h>

#include <string>

// True once every byte of `text` is written to `fd`.
bool WriteAll(int fd, const std::string& text);
// Creates the temporary file `path` for writing, new: a leftover of a cut run is removed
// first, and whatever stands in its place then (a link planted meanwhile, say) makes the
// open fail rather than be written through. The descriptor, or -1 with errno set.
int CreateTemporary(const std::string& path, mode_t mode);
