// Who else has the controller open (see SharedController.h).
#include "frontends/terminal/SharedController.h"

#include <pwd.h>
#include <unistd.h>

#include "device/CommandReport.h"
#include "device/linux/HidrawScan.h"
#include "platform/PrintableText.h"

namespace {

// The login name of `uid`, when it has one.
bool UserName(uid_t uid, std::string* name) {
  char buffer[4096];
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(uid, &entry, buffer, sizeof(buffer), &found) != 0 || found == nullptr) {
    return false;
  }
  *name = found->pw_name;
  return !name->empty();
}

// How the unit is stopped: a command only for a plain unit name of a manager that can be
// named.
std::string StopAdvice(const SystemdUnit& unit) {
  if (unit.manager == SystemdUnit::Manager::kNone) {
    return "close it first";
  }
  if (!IsPlainUnitName(unit.name)) {
    return "stop it first";
  }
  const std::string quoted = ShellQuote(unit.name);
  if (unit.manager == SystemdUnit::Manager::kSystem) {
    return "stop it first: sudo systemctl stop " + quoted;
  }
  if (unit.managerUid == getuid()) {
    return "stop it first: systemctl --user stop " + quoted;
  }
  std::string user;
  if (!UserName(unit.managerUid, &user)) {
    return "stop it first";
  }
  return "stop it first: sudo systemctl --user -M " + ShellQuote(user + "@") + " stop " + quoted;
}

}  // namespace

std::vector<dev_t> ControllerNodeNumbers() {
  std::vector<dev_t> numbers;
  for (const HidrawNode& node : ListHidrawNodes()) {
    const bool controller = node.vendorId == kControllerVid && node.productId == kControllerPid;
    const bool bootLoader = node.vendorId == kBootLoaderVid && node.productId == kBootLoaderPid;
    if ((controller || bootLoader) && node.numbersKnown) {
      numbers.push_back(node.numbers);
    }
  }
  return numbers;
}

std::vector<DeviceHolder> ControllerHolders() {
  return FindDeviceHolders(ControllerNodeNumbers(), getpid());
}

std::string HolderText(const DeviceHolder& holder) {
  const std::string& unit = holder.unit.name;
  const std::string who = EscapeControls(holder.command) + " (pid " + std::to_string(holder.pid) +
                          (unit.empty() ? "" : ", " + EscapeControls(unit)) +
                          ") has the controller open; if the update fails, ";
  return who + StopAdvice(holder.unit);
}

void NoticeControllerHolders(CommandContext& context) {
  for (const DeviceHolder& holder : ControllerHolders()) {
    context.view.PrintLine("padwright: " + HolderText(holder));
  }
}
