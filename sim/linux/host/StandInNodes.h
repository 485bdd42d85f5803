// The hidraw nodes that the stand-in host shows for the controller simulator's state, with
// the sysfs files that describe each (uevent with HID_ID, report_descriptor).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/ControllerSimulator.h"

enum class NodeRole : uint8_t {
  kUnrelated,           // another HID device of the machine: never answers
  kControllerKeyboard,  // the controller's keyboard function: same ids, 8-byte reports
  kController,          // the controller's 64-byte interface in normal mode
  kBootLoader,          // the boot loader's 64-byte interface
};

struct StandInNode {
  uint32_t number = 0;
  NodeRole role = NodeRole::kUnrelated;
  std::string uevent;
  std::string descriptor;  // raw report descriptor bytes
};

// The nodes present now, in node-number order.
std::vector<StandInNode> PresentNodes(ControllerSimulator& sim);
// Whether a node of `role` is there in the simulator's state now.
bool RolePresent(ControllerSimulator& sim, NodeRole role);
