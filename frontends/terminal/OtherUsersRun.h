// Root's look for runs of padwright that other users started (with the udev rule they may
// read and restore the configuration): root's lock does not keep them out, for they lock in
// their own runtime folders, which root does not know. A process called padwright of another
// user counts as a run in progress when it holds the controller's node open or its lock file
// (padwright.lock) flock()ed.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "frontends/terminal/ProcLocks.h"

// Such a run among the processes of `procRoot` other than `selfPid`, whose owner is not
// `self`: false when there is none, else true with `pid` set. `nodes` are the device numbers
// of the controller's nodes, `flocks` the locks of /proc/locks.
bool FindOtherUsersRunIn(const std::string& procRoot, const std::vector<dev_t>& nodes,
                         const std::vector<FileFlock>& flocks, uid_t self, pid_t selfPid,
                         pid_t* pid);
// The same on this machine now, for this process.
bool FindOtherUsersRun(pid_t* pid);
