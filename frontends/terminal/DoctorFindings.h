// The checks of padwright doctor, each one finding: a label, whether it is fine, in the way
// of an update or only worth knowing, and one line saying what was found and what to do.
#pragma once

#include <string>
#include <vector>

#include "device/linux/HidrawScan.h"
#include "frontends/terminal/CommandLink.h"
#include "frontends/terminal/InstanceLock.h"
#include "platform/BackupFolder.h"
#include "platform/PowerSource.h"
#include "platform/linux/DevMemPhysicalMemory.h"

enum class Verdict { kOk, kProblem, kNote };

struct Finding {
  const char* label;
  Verdict verdict;
  std::string text;
};

// The hidraw nodes of the controller and of its boot loader, and the one that takes commands.
struct NodeSurvey {
  std::vector<HidrawNode> controller;
  std::vector<HidrawNode> bootLoader;
  const HidrawNode* command = nullptr;  // in `controller`; null when none is the interface
};
NodeSurvey SurveyNodes();

// Whether this user may open the controller's nodes, and which node an update uses (found by
// its device numbers when /dev/hidrawN is not it). `openError` gets what opening the command
// node (else the boot loader's) ran into, 0 when it opened or there is none.
Finding CheckNodeAccess(const NodeSurvey& survey, int* openError);
// The controller found and the interface chosen; its version read unless its node cannot be
// opened.
Finding CheckController(CommandLink& link, BackupFolder& backups, const NodeSurvey& survey,
                        int openError);
// While another run (pid `holder`, 0 when unknown) holds the lock: that it is updating the
// controller, and what is seen of it, not read (a request of ours would take its replies);
// in the midst of an update the controller may be in its boot loader or gone a moment.
Finding ControllerInOtherRun(const NodeSurvey& survey, pid_t holder);
// Each other program that has the controller open, as a note (hidraw is never exclusive: one
// that writes to it during an update may spoil it); OK when there is none.
std::vector<Finding> CheckSharing();
Finding CheckDevMem(DevMemPhysicalMemory& memory);
Finding CheckPower(PowerSource& power, bool ignoreBattery);
Finding CheckLock(const InstanceLock& lock, InstanceLock::Result result);
