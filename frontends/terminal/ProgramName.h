// The program as the user started it, for the commands that padwright names for the user to
// run: the path it was started by when that holds a slash (./padwright in the unpacked
// release), else padwright, as found on PATH.
#pragma once

#include <string>
#include <string_view>

// The name for `argv0`, quoted for the shell.
std::string ProgramNameFor(std::string_view argv0);
// Kept once at start, before anything is said.
void RememberProgramName(const char* argv0);
// The name kept; padwright before one is.
const std::string& ProgramName();
