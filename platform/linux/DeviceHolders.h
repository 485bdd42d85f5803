// The processes that hold a character device open, found in /proc/PID/fd, with their command
// name and the systemd unit they run in (from /proc/PID/cgroup), so that a user can be told
// who shares a device and how to stop it. Nothing here stops anything.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// The unit a process runs in, as its cgroup path names it.
struct SystemdUnit {
  enum class Manager {
    kNone,    // no unit to stop: outside systemd, or a login session (stopping it logs out)
    kSystem,  // the system's manager: sudo systemctl stop NAME
    kUser,    // a user's manager (below user@UID.service): systemctl --user stop NAME
  };
  std::string name;  // as the cgroup names it: a user may name their own cgroups anything
  Manager manager = Manager::kNone;
  uid_t managerUid = 0;  // kUser: whose manager it is (the UID of user@UID.service)
};

// The unit of the text of /proc/PID/cgroup: the unified hierarchy's line ("0::/path"), or
// with a hybrid layout the "name=systemd" one; the deepest ".service" or ".scope" in the path.
// The user manager is the outermost user@UID.service, the one systemd made: the cgroups below
// it are the user's to name.
SystemdUnit UnitFromCgroup(const std::string& cgroupText);

// Whether `name` is a plain unit name that may be put in a systemctl command: letters,
// digits and ":_.@-\" only, not starting with '-' (systemctl would take it for an option),
// at most 255 characters, ending in a suffix of a unit type.
bool IsPlainUnitName(const std::string& name);

struct DeviceHolder {
  pid_t pid = 0;
  uid_t uid = 0;        // the process's owner (of /proc/PID)
  std::string command;  // /proc/PID/comm: whatever the process named itself
  SystemdUnit unit;
};

// The processes with one of `devices` (character devices' numbers) open, in pid order, each
// once, except `self`. Processes that may not be looked at (another user's, for a user who
// is not root) and ones gone meanwhile are passed over. `procRoot` is /proc but in tests.
std::vector<DeviceHolder> FindDeviceHolders(const std::vector<dev_t>& devices, pid_t self,
                                            const std::string& procRoot = "/proc");
