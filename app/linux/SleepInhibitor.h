// Keeps the machine from suspending while a sequence runs: logind's "sleep:idle" inhibitor
// lock (block mode), held as the file descriptor logind hands out. Without logind, or in a
// build without libsystemd, the command goes on without it.
#pragma once

#include <cstdio>
#include <memory>

#include "workflows/SequenceView.h"

// The lock while the returned scope lives; null when it cannot be had. With `log` set, says
// there why not.
std::unique_ptr<SequenceScope> InhibitSleep(FILE* log);
