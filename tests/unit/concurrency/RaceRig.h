// The setting of the window race tests: a paced virtual clock, the simulated controller
// behind the controller link and the power switch, the user's configuration, an image file,
// and a watchdog that turns a lock-up into a clear failure instead of a silent hang.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/ConfigBlocks.h"
#include "device/Vexapad.h"
#include "sim/ControllerSimulator.h"
#include "sim/SimPhysicalMemory.h"
#include "sim/SimTransport.h"
#include "tests/unit/concurrency/PacedClock.h"

struct RaceRig {
  static constexpr uint8_t kUserMode = 7;

  RaceRig(const std::string& tag, uint32_t pace = 1, size_t imageBytes = 58 * 120 + 5);
  ~RaceRig();
  RaceRig(const RaceRig&) = delete;
  RaceRig& operator=(const RaceRig&) = delete;

  PacedClock clock;
  ControllerSimulator sim;
  SimPhysicalMemory memory{sim};
  CVexapadT<SimTransport> link{sim};
  GlobalConfig userGlobal{};
  ButtonConfig userButtons{};
  std::vector<uint8_t> image;
  std::filesystem::path file;
};

// Aborts the test program with a message when not destroyed within `seconds` of real time.
class Watchdog {
 public:
  explicit Watchdog(std::string what, int seconds = 120);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

// Every controller connection's reports form one unbroken run of request/reply pairs: no
// two threads' commands interleave.
void ExpectNoInterleaving(const std::vector<TranscriptEntry>& transcript);
