// What the race tests check beyond the usual: a watchdog that turns a lock-up into a clear
// failure instead of a silent hang, and that no two threads' commands interleave.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/SimTypes.h"

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
