// The setting of the window race tests.
#include "tests/unit/concurrency/RaceRig.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>

#include "platform/PhysicalMemory.h"
#include "workflows/BackupBuffers.h"

RaceRig::RaceRig(const std::string& tag, uint32_t pace, size_t imageBytes) : clock(pace) {
  BindPhysicalMemory(&memory);
  savedButtonConfig = {};
  savedGlobalConfig = {};
  for (size_t i = 0; i < userGlobal.size(); ++i) {
    userGlobal[i] = static_cast<uint8_t>(0x33 + i * 7);
  }
  userGlobal[kFirmwareVersionByte] = 3;
  userGlobal[kModeByte] = kUserMode;
  for (size_t i = 0; i < userButtons.size(); ++i) {
    userButtons[i] = static_cast<uint8_t>(i * 5 + 2);
  }
  sim.SetGlobalConfig(userGlobal);
  sim.SetButtonConfig(userButtons);
  GlobalConfig factoryGlobal;
  factoryGlobal.fill(0xEE);
  factoryGlobal[kFirmwareVersionByte] = 4;
  ButtonConfig factoryButtons;
  factoryButtons.fill(0xDD);
  sim.SetNewFirmware(4, factoryGlobal, factoryButtons);
  image.resize(imageBytes);
  for (size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<uint8_t>(i * 17 + (i >> 7));
  }
  file = std::filesystem::temp_directory_path() /
         ("padwright-race-" + tag + "-" + std::to_string(getpid()) + ".vxf");
  std::ofstream(file, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(image.data()),
             static_cast<std::streamsize>(image.size()));
}

RaceRig::~RaceRig() {
  BindPhysicalMemory(nullptr);
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
}

Watchdog::Watchdog(std::string what, int seconds) {
  thread_ = std::thread([this, what = std::move(what), seconds] {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!done_.wait_for(lock, std::chrono::seconds(seconds), [this] { return finished_; })) {
      std::fprintf(stderr, "%s: not done after %d s, the threads are locked up\n", what.c_str(),
                   seconds);
      std::abort();
    }
  });
}

Watchdog::~Watchdog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
  }
  done_.notify_all();
  thread_.join();
}

void ExpectNoInterleaving(const std::vector<TranscriptEntry>& transcript) {
  std::set<uint32_t> finished;
  for (size_t i = 0; i < transcript.size(); ++i) {
    const TranscriptEntry& entry = transcript[i];
    if (i > 0 && transcript[i - 1].connection != entry.connection) {
      ASSERT_EQ(finished.count(entry.connection), 0u)
          << "connection " << entry.connection << " resumed at entry " << i;
      finished.insert(transcript[i - 1].connection);
    }
    ASSERT_EQ(entry.direction == Direction::HostToDevice, i % 2 == 0)
        << "entry " << i << " breaks the request/reply pairs";
  }
}
