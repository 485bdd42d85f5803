// The checks of padwright doctor (see DoctorFindings.h).
#include "frontends/terminal/DoctorFindings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "device/CommandReport.h"
#include "device/ConfigBlocks.h"
#include "device/linux/HidrawDevice.h"
#include "device/linux/HidrawNodeOpen.h"
#include "frontends/terminal/BootLoaderNotice.h"
#include "frontends/terminal/SharedController.h"
#include "frontends/terminal/PowerPreflight.h"
#include "platform/PowerState.h"
#include "platform/PrintableText.h"
#include "platform/PowerSwitch.h"
#include "platform/TimeText.h"
#include "platform/linux/Utf8Text.h"
#include "workflows/backups/BackupStore.h"

namespace {

constexpr uint32_t kReadOpenMs = 1000;
// Where udev reads rules from, most local first.
constexpr const char* kRuleFolders[] = {"/etc/udev/rules.d", "/run/udev/rules.d",
                                        "/usr/local/lib/udev/rules.d", "/usr/lib/udev/rules.d",
                                        "/lib/udev/rules.d"};

std::string Ids(const HidrawNode& node) {
  char text[16];
  std::snprintf(text, sizeof(text), "%04x:%04x", node.vendorId, node.productId);
  return text;
}

std::string Reports(const HidrawNode& node) {
  if (!node.lengthsKnown) {
    return "report descriptor unreadable";
  }
  if (node.lengths.numberedReports) {
    return "numbered reports";
  }
  return std::to_string(node.lengths.input > 0 ? node.lengths.input - 1 : 0) + "-byte reports";
}

// Opens the node as the command would (by its device numbers) and closes it at once:
// nothing is sent. `used` gets the node it opened, and how it was found.
int OpenError(const HidrawNode& node, std::string* used) {
  const HidrawNodeOpen opened = OpenHidrawNode(node);
  if (opened.fd < 0) {
    const int error = errno;
    *used = EscapeControls(node.devicePath);
    return error;
  }
  *used = DescribeHidrawRoute(node, opened);
  close(opened.fd);
  return 0;
}

bool RuleInstalled() {
  struct stat info {};
  for (const char* folder : kRuleFolders) {
    if (stat((std::string(folder) + "/70-padwright.rules").c_str(), &info) == 0) {
      return true;
    }
  }
  return false;
}

// The controller's other nodes, passed over for commands.
std::string PassedOver(const NodeSurvey& survey) {
  std::string text;
  for (const HidrawNode& node : survey.controller) {
    if (&node != survey.command) {
      text += (text.empty() ? "; passed over: " : ", ") + EscapeControls(node.devicePath) + " (" +
              Reports(node) + ")";
    }
  }
  return text;
}

std::string DescribePower(const PowerState& state) {
  std::string text = state.externalPower ? "on the charger" : "on battery";
  if (!state.batteryPresent) {
    return state.externalPower ? "on mains power, no battery" : "no battery and no charger seen";
  }
  text += state.chargePercent ? ", battery at " + std::to_string(*state.chargePercent) + "%"
                              : ", battery charge unknown";
  return state.charging ? text + ", charging" : text;
}

}  // namespace

NodeSurvey SurveyNodes() {
  NodeSurvey survey;
  for (HidrawNode& node : ListHidrawNodes()) {
    if (node.vendorId == kControllerVid && node.productId == kControllerPid) {
      survey.controller.push_back(std::move(node));
    } else if (node.vendorId == kBootLoaderVid && node.productId == kBootLoaderPid) {
      survey.bootLoader.push_back(std::move(node));
    }
  }
  for (const HidrawNode& node : survey.controller) {
    if (survey.command == nullptr && HasReportLength(node, kCommandReportLength)) {
      survey.command = &node;
    }
  }
  return survey;
}

Finding CheckNodeAccess(const NodeSurvey& survey, int* openError) {
  const HidrawNode* node = survey.command != nullptr   ? survey.command
                           : survey.bootLoader.empty() ? nullptr
                                                       : &survey.bootLoader.front();
  std::string used;
  *openError = node != nullptr ? OpenError(*node, &used) : 0;
  const char* label = "Node access";
  if (geteuid() == 0) {
    return {label, *openError == 0 ? Verdict::kOk : Verdict::kProblem,
            *openError != 0 ? "running as root, yet " + EscapeControls(node->devicePath) +
                                  " cannot be opened (" + std::strerror(*openError) + ")"
            : node != nullptr ? "running as root; the node used: " + used
                              : "running as root"};
  }
  const std::string rule = RuleInstalled() ? "the udev rule 70-padwright.rules is installed"
                                           : "the udev rule 70-padwright.rules is not installed";
  if (node == nullptr) {
    return {label, Verdict::kNote, "no node of the controller to try; " + rule};
  }
  if (*openError == 0) {
    return {label, Verdict::kOk, used + " opens for this user (" + rule + ")"};
  }
  if (*openError == ENOENT && node->numbersKnown) {
    return {label, Verdict::kProblem,
            EscapeControls(node->devicePath) +
                " is missing and no node under /dev has its device numbers: run "
                "as root (sudo), which makes a node of its own for the update"};
  }
  if (*openError != EACCES && *openError != EPERM) {
    return {
        label, Verdict::kProblem,
        EscapeControls(node->devicePath) + " cannot be opened (" + std::strerror(*openError) + ")"};
  }
  return {label, Verdict::kProblem,
          EscapeControls(node->devicePath) + " cannot be opened (" + std::strerror(*openError) +
              "): " +
              (RuleInstalled()
                   ? rule + " but not applied to it: sudo udevadm control --reload && sudo "
                            "udevadm trigger (it serves the user at the seat, not a remote login)"
                   : "run as root (sudo), or install the udev rule: sudo ./install.sh")};
}

Finding ControllerInOtherRun(const NodeSurvey& survey, pid_t holder) {
  std::string seen = "nothing of it is there now";
  if (survey.command != nullptr) {
    seen = "seen: " + EscapeControls(survey.command->devicePath) + " (" + Ids(*survey.command) +
           ", the command interface)";
  } else if (!survey.bootLoader.empty()) {
    seen = "seen: its boot loader, " + EscapeControls(survey.bootLoader.front().devicePath) + " (" +
           Ids(survey.bootLoader.front()) + ")";
  } else if (!survey.controller.empty()) {
    seen = "seen: " + EscapeControls(survey.controller.front().devicePath) + " (" +
           Ids(survey.controller.front()) + ")";
  }
  return {"Controller", Verdict::kNote,
          OtherRunText(holder) + " is updating the controller; not read meanwhile, " + seen};
}

Finding CheckController(CommandLink& link, BackupFolder& backups, const NodeSurvey& survey,
                        int openError) {
  const char* label = "Controller";
  if (survey.command != nullptr) {
    const HidrawNode& node = *survey.command;
    const std::string found = EscapeControls(node.devicePath) + " (" + Ids(node) +
                              ", the command interface: 64-byte reports without report ids" +
                              PassedOver(survey) + ")";
    if (openError != 0) {
      return {label, Verdict::kProblem, found + "; cannot be opened, see Node access"};
    }
    uint8_t block[kGlobalConfigSize] = {};
    if (!link.ReadGlobalConfig(block, kGlobalConfigSize, kReadOpenMs)) {
      return {label, Verdict::kProblem,
              found +
                  "; does not answer: close the programs that may hold it (Steam, game "
                  "launchers, remapping tools) and try again"};
    }
    return {label, Verdict::kOk,
            found + "; firmware " + std::to_string(block[kFirmwareVersionByte]) + ", mode " +
                std::to_string(block[kModeByte])};
  }
  if (!survey.controller.empty()) {
    std::string nodes;
    for (const HidrawNode& node : survey.controller) {
      nodes += (nodes.empty() ? "" : ", ") + EscapeControls(node.devicePath) + " (" +
               Reports(node) + ")";
    }
    return {label, Verdict::kProblem,
            Ids(survey.controller.front()) + " is there, but none of its nodes takes commands " +
                "(64-byte reports without report ids): " + nodes +
                "; it may still be starting: try again in a few seconds"};
  }
  if (!survey.bootLoader.empty()) {
    const HidrawNode& node = survey.bootLoader.front();
    return {label, Verdict::kProblem,
            "it waits in its boot loader (" + EscapeControls(node.devicePath) + ", " + Ids(node) +
                "): " + RecoverFromBootLoaderText(backups)};
  }
  return {label, Verdict::kProblem,
          "not found: no hidraw node of 1c4f:0002, nor of its boot loader 0483:5750"};
}

Finding CheckDevMem(DevMemPhysicalMemory& memory) {
  if (PowerSwitchUsable(&memory)) {
    return {"/dev/mem", Verdict::kOk, "the controller's power switch can be reached"};
  }
  return {"/dev/mem", Verdict::kProblem, DescribePowerSwitchFailure(memory)};
}

Finding CheckPower(PowerSource& power, bool ignoreBattery) {
  PowerState state;
  if (!power.Read(&state)) {
    return {"Power", Verdict::kNote,
            "/sys/class/power_supply cannot be read: the battery is not checked"};
  }
  const std::string text = DescribePower(state);
  if (PowerAllowsUpgrade(state)) {
    return {"Power", Verdict::kOk, text};
  }
  if (ignoreBattery) {
    return {"Power", Verdict::kNote, text + ": too low without the charger, ignored"};
  }
  return {"Power", Verdict::kProblem,
          text + ": below " + std::to_string(kMinimumChargePercent) +
              "% without the charger; connect the charger (--ignore-battery if the reading is "
              "wrong)"};
}

Finding CheckLock(const InstanceLock& lock, InstanceLock::Result result) {
  const std::string path = EscapeControls(InstanceLock::Path());
  switch (result) {
    case InstanceLock::Result::kAcquired:
      return {"Lock", Verdict::kOk, "no other run (" + path + ")"};
    case InstanceLock::Result::kHeldElsewhere:
      return {"Lock", Verdict::kProblem,
              OtherRunText(lock.Holder()) + " is in progress: wait for it to end"};
    case InstanceLock::Result::kUnavailable:
      break;
  }
  return {"Lock", Verdict::kNote,
          path + " cannot be used (" + EscapeControls(lock.Error()) +
              "): runs are not guarded against a second one"};
}

std::vector<Finding> CheckSharing() {
  const char* label = "Sharing";
  std::vector<Finding> findings;
  for (const DeviceHolder& holder : ControllerHolders()) {
    findings.push_back({label, Verdict::kNote, HolderText(holder)});
  }
  if (findings.empty()) {
    findings.push_back({label, Verdict::kOk,
                        geteuid() == 0 ? "no other program has the controller open"
                                       : "no other program of this user has the controller "
                                         "open (root sees every user's)"});
  }
  return findings;
}
