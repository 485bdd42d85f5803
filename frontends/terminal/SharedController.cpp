// Who else has the controller open (see SharedController.h).
#include "frontends/terminal/SharedController.h"

#include <unistd.h>

#include "device/CommandReport.h"
#include "device/linux/HidrawScan.h"

std::vector<DeviceHolder> ControllerHolders() {
  std::vector<dev_t> numbers;
  for (const HidrawNode& node : ListHidrawNodes()) {
    const bool controller = node.vendorId == kControllerVid && node.productId == kControllerPid;
    const bool bootLoader = node.vendorId == kBootLoaderVid && node.productId == kBootLoaderPid;
    if ((controller || bootLoader) && node.numbersKnown) {
      numbers.push_back(node.numbers);
    }
  }
  return FindDeviceHolders(numbers, getpid());
}

std::string HolderText(const DeviceHolder& holder) {
  const std::string& unit = holder.unit.name;
  const std::string who = holder.command + " (pid " + std::to_string(holder.pid) +
                          (unit.empty() ? "" : ", " + unit) +
                          ") has the controller open; if the update fails, ";
  switch (holder.unit.manager) {
    case SystemdUnit::Manager::kSystem:
      return who + "stop it first: sudo systemctl stop " + unit;
    case SystemdUnit::Manager::kUser:
      return who + "stop it first: systemctl --user stop " + unit;
    case SystemdUnit::Manager::kNone:
      break;
  }
  return who + "close it first";
}

void NoticeControllerHolders(CommandContext& context) {
  for (const DeviceHolder& holder : ControllerHolders()) {
    context.view.PrintLine("padwright: " + HolderText(holder));
  }
}
