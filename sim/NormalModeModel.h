// The controller in normal mode: its global block and button table, and its answers to
// commands 0x05 to 0x0A. Not locked; the simulator owns and guards it.
#pragma once

#include <cstdint>
#include <vector>

#include "device/CommandReport.h"
#include "device/ConfigBlocks.h"
#include "sim/SimTypes.h"

class NormalModeModel {
 public:
  // Applies one request (not 0x01, which the simulator handles) and fills `reply`: byte 3
  // echoes the command, bytes 4-5 the argument; reads put their data from byte 6 on with
  // its length and checksum in bytes 2 and 0-1. Faulty requests are recorded in
  // `violations` and answered all the same.
  void Handle(const CommandReport& request, CommandReport* reply,
              std::vector<Violation>* violations);

  GlobalConfig global{};
  ButtonConfig buttons{};
  unsigned saveCount = 0;
  GlobalConfig savedGlobal{};
  ButtonConfig savedButtons{};
  std::vector<uint16_t> modesSet;

 private:
  void ReadButtons(const CommandReport& request, CommandReport* reply,
                   std::vector<Violation>* violations);
  void WriteButtons(const CommandReport& request, std::vector<Violation>* violations);
  void WriteGlobal(const CommandReport& request, std::vector<Violation>* violations);
};
