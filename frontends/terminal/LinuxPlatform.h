// The machine as one run of the padwright command sees it, and what the sequences work with
// over it. Linux cannot tell who keeps the controller, and its refusal of the power switch
// says its own reason: the run has no probe and no driver-block settings.
#pragma once

#include <cstdio>

#include "frontends/terminal/CommandLine.h"
#include "frontends/terminal/CommandLink.h"
#include "platform/linux/DevMemPhysicalMemory.h"
#include "platform/linux/MonotonicClock.h"
#include "platform/linux/PosixBackupFolder.h"
#include "platform/linux/SysfsPowerSource.h"
#include "workflows/RunContext.h"

struct LinuxPlatform {
  explicit LinuxPlatform(const CommandRequest& request)
      : log(request.verbose ? stderr : nullptr),
        // root's folder keeps a note, readable by every user, of a backup that never went back
        backups(PosixBackupFolder::DefaultPath(), PosixBackupFolder::DefaultPendingMarker()),
        // the sequences check the battery again, as the window's do
        context{.clock = clock,
                .memory = &memory,
                .power = &power,
                .ignoreBattery = request.ignoreBattery,
                .backups = &backups} {}
  LinuxPlatform(const LinuxPlatform&) = delete;
  LinuxPlatform& operator=(const LinuxPlatform&) = delete;

  FILE* log;  // --verbose: what was examined and what was not available
  MonotonicClock clock;
  DevMemPhysicalMemory memory;
  SysfsPowerSource power;
  PosixBackupFolder backups;
  RunContext context;
  CommandLink link{clock};
};
