// Writing a whole text to a file descriptor, through short writes and interrupted ones.
#pragma once

#include <string>

// True once every byte of `text` is written to `fd`.
bool WriteAll(int fd, const std::string& text);
