// Nodes and sysfs texts of the stand-in host.
#include "sim/linux/host/StandInNodes.h"

#include <cstdio>

namespace {

// A boot keyboard: 8-byte input report, 1-byte LED output report, no report ids.
const uint8_t kKeyboardDescriptor[] = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01,
    0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06,
    0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0};

std::string KeyboardDescriptor() {
  return std::string(reinterpret_cast<const char*>(kKeyboardDescriptor),
                     sizeof(kKeyboardDescriptor));
}

// A vendor-page collection with one input and one output report of `reportLength` - 1 data
// bytes and no report id: what the controller's protocol interface declares (65 on the wire).
std::string VendorDescriptor(uint16_t reportLength) {
  const uint16_t bytes = reportLength > 0 ? reportLength - 1 : 0;
  const uint8_t low = static_cast<uint8_t>(bytes & 0xFF);
  const uint8_t high = static_cast<uint8_t>(bytes >> 8);
  const uint8_t items[] = {0x06, 0x00, 0xFF,        // usage page: vendor
                           0x09, 0x01, 0xA1, 0x01,  // usage, application collection
                           0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,  // bytes 0-255
                           0x96, low,  high, 0x09, 0x02, 0x81, 0x02,  // input report
                           0x96, low,  high, 0x09, 0x03, 0x91, 0x02,  // output report
                           0xC0};
  return std::string(reinterpret_cast<const char*>(items), sizeof(items));
}

std::string Uevent(uint16_t vid, uint16_t pid, const char* name) {
  char text[160];
  std::snprintf(text, sizeof(text), "DRIVER=hid-generic\nHID_ID=0003:%08X:%08X\nHID_NAME=%s\n", vid,
                pid, name);
  return text;
}

}  // namespace

bool RolePresent(ControllerSimulator& sim, NodeRole role) {
  switch (role) {
    case NodeRole::kUnrelated:
      return true;
    case NodeRole::kControllerKeyboard:
    case NodeRole::kController:
      return sim.IsPresent(SimDevice::Controller);
    case NodeRole::kBootLoader:
      return sim.IsPresent(SimDevice::BootLoader);
  }
  return false;
}

std::vector<StandInNode> PresentNodes(ControllerSimulator& sim) {
  std::vector<StandInNode> nodes;
  nodes.push_back(
      {0, NodeRole::kUnrelated, Uevent(0x046D, 0xC31C, "USB Keyboard"), KeyboardDescriptor()});
  if (sim.IsPresent(SimDevice::Controller)) {
    const std::string uevent = Uevent(kControllerVid, kControllerPid, "Handheld Controller");
    nodes.push_back({1, NodeRole::kControllerKeyboard, uevent, KeyboardDescriptor()});
    nodes.push_back({2, NodeRole::kController, uevent,
                     VendorDescriptor(sim.ReportLength(SimDevice::Controller))});
  }
  if (sim.IsPresent(SimDevice::BootLoader)) {
    nodes.push_back({3, NodeRole::kBootLoader,
                     Uevent(kBootLoaderVid, kBootLoaderPid, "Controller Boot Loader"),
                     VendorDescriptor(sim.ReportLength(SimDevice::BootLoader))});
  }
  return nodes;
}
