// A user's controller as the tests set it up, on every platform the tests build for: the
// user's own configuration and mode, and new firmware that starts from factory blocks, so
// that only a restore brings the user's configuration back; and what the host wrote to it.
#pragma once

#include <cstdint>
#include <vector>

#include "device/CommandReport.h"
#include "device/ConfigBlocks.h"
#include "sim/ControllerSimulator.h"

inline constexpr uint8_t kUserMode = 7;

inline GlobalConfig UserGlobal(uint8_t version) {
  GlobalConfig global{};
  for (size_t i = 0; i < global.size(); ++i) {
    global[i] = static_cast<uint8_t>(0x40 + i * 3);
  }
  global[kFirmwareVersionByte] = version;
  global[kModeByte] = kUserMode;
  return global;
}

inline ButtonConfig UserButtons() {
  ButtonConfig buttons{};
  for (size_t i = 0; i < buttons.size(); ++i) {
    buttons[i] = static_cast<uint8_t>(i * 7 + 3);
  }
  return buttons;
}

inline GlobalConfig FactoryGlobal(uint8_t version) {
  GlobalConfig global;
  global.fill(0xEE);
  global[kFirmwareVersionByte] = version;
  return global;
}

inline ButtonConfig FactoryButtons() {
  ButtonConfig buttons;
  buttons.fill(0xDD);
  return buttons;
}

// The controller runs `oldVersion` with the user's configuration; a complete image installs
// `newVersion` with the factory blocks.
inline void SetUpUserController(ControllerSimulator& sim, uint8_t oldVersion, uint8_t newVersion) {
  sim.SetGlobalConfig(UserGlobal(oldVersion));
  sim.SetButtonConfig(UserButtons());
  sim.SetNewFirmware(newVersion, FactoryGlobal(newVersion), FactoryButtons());
}

// The requests of one command that the host sent to a device, in order.
inline std::vector<CommandReport> RequestsOf(ControllerSimulator& sim, SimDevice device,
                                             CommandCode command) {
  std::vector<CommandReport> found;
  for (const CommandReport& report : sim.Requests(device)) {
    if (report.Command() == static_cast<uint8_t>(command)) {
      found.push_back(report);
    }
  }
  return found;
}

// The payloads of one command's requests to the controller, joined in order: all that the
// global-block or the button-block writes carried.
inline std::vector<uint8_t> PayloadsOf(ControllerSimulator& sim, CommandCode command) {
  std::vector<uint8_t> bytes;
  for (const CommandReport& report : RequestsOf(sim, SimDevice::Controller, command)) {
    bytes.insert(bytes.end(), report.Payload(), report.Payload() + report.Length());
  }
  return bytes;
}

template <size_t N>
std::vector<uint8_t> Bytes(const std::array<uint8_t, N>& block) {
  return {block.begin(), block.end()};
}
