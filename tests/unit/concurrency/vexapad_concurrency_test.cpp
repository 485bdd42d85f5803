// Commands from two threads at once run one after the other: in the simulator's record,
// each opening of the controller (one connection) is one unbroken run of reports, and no
// thread touches a device another thread has open.
#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <thread>

#include "tests/support/SimRig.h"
#include "tests/unit/concurrency/RaceChecks.h"

namespace {

// The simulator's transport, noting every call made while another thread holds the device
// open. It yields inside each call so that unguarded threads would overlap.
class CheckedTransport {
 public:
  CheckedTransport(ControllerSimulator& sim, std::atomic<int>& clashes)
      : inner_(sim), clashes_(clashes) {}

  bool OpenDevice(uint16_t vid, uint16_t pid, const wchar_t* filter) {
    Check();
    const bool ok = inner_.OpenDevice(vid, pid, filter);
    owner_.store(ok ? std::this_thread::get_id() : std::thread::id());
    return ok;
  }
  bool IsOpen() const { return inner_.IsOpen(); }
  void CloseDevice() {
    Check();
    owner_.store(std::thread::id());
    inner_.CloseDevice();
  }
  bool ReadReport(uint8_t* dst, uint16_t len, uint32_t timeoutMs) {
    Check();
    return inner_.ReadReport(dst, len, timeoutMs);
  }
  bool WriteReport(const uint8_t* src, uint16_t len, uint32_t timeoutMs) {
    Check();
    return inner_.WriteReport(src, len, timeoutMs);
  }
  bool IsPresent(uint16_t vid, uint16_t pid) { return inner_.IsPresent(vid, pid); }

 private:
  void Check() {
    const std::thread::id owner = owner_.load();
    if (owner != std::thread::id() && owner != std::this_thread::get_id()) {
      ++clashes_;
    }
    std::this_thread::yield();
  }

  SimTransport inner_;
  std::atomic<int>& clashes_;
  std::atomic<std::thread::id> owner_{};
};

struct CheckedRig {
  ScopedVirtualClock clock;
  ControllerSimulator sim;
  std::atomic<int> clashes{0};
  CVexapadT<CheckedTransport> pad{*clock, sim, clashes};
};

}  // namespace

TEST(VexapadConcurrency, CommandsFromTwoThreadsNeverInterleaveTheirReports) {
  CheckedRig rig;
  ButtonConfig buttons;
  buttons.fill(0x21);
  rig.sim.SetButtonConfig(buttons);
  constexpr int kTableRounds = 20;
  constexpr int kSingleRounds = 60;
  std::latch start(2);  // both threads begin together, so their commands overlap
  bool tablesOk = true;
  bool singlesOk = true;

  std::thread tables([&] {
    start.arrive_and_wait();
    for (int i = 0; i < kTableRounds; ++i) {
      ButtonConfig out{};
      tablesOk = rig.pad.ReadButtonConfig(out.data(), 1000) && out == buttons && tablesOk;
      tablesOk = rig.pad.WriteButtonConfig(out.data(), 1000) && tablesOk;
    }
  });
  std::thread singles([&] {
    start.arrive_and_wait();
    for (int i = 0; i < kSingleRounds; ++i) {
      GlobalConfig global{};
      singlesOk = rig.pad.ReadGlobalConfig(global.data(), 33, 1000) && singlesOk;
      singlesOk = rig.pad.SaveConfig(1000) && singlesOk;
      singlesOk = rig.pad.SetMode(static_cast<uint16_t>(i), 1000) && singlesOk;
    }
  });
  tables.join();
  singles.join();

  EXPECT_EQ(rig.clashes.load(), 0);
  EXPECT_TRUE(tablesOk);
  EXPECT_TRUE(singlesOk);
  auto transcript = rig.sim.Transcript();
  EXPECT_EQ(transcript.size(), static_cast<size_t>(2 * (kTableRounds * 66 + kSingleRounds * 3)));
  ExpectNoInterleaving(transcript);
  EXPECT_TRUE(rig.sim.Violations().empty());
}

TEST(VexapadConcurrency, TransferHoldsTheLinkAgainstCommandsOfAnotherThread) {
  CheckedRig rig;
  std::vector<uint8_t> image = PatternImage(58 * 200);
  bool upgraded = false;
  int saves = 0;
  std::latch start(2);
  std::thread transfer([&] {
    start.arrive_and_wait();
    upgraded = rig.pad.Upgrade(image.data(), image.size(), nullptr, 10000);
  });
  std::thread commands([&] {
    start.arrive_and_wait();
    for (int i = 0; i < 50; ++i) {
      saves += rig.pad.SaveConfig(100) ? 1 : 0;
    }
  });
  transfer.join();
  commands.join();

  EXPECT_EQ(rig.clashes.load(), 0);
  EXPECT_TRUE(upgraded);
  EXPECT_EQ(rig.sim.ReceivedImage(), image);
  EXPECT_EQ(rig.sim.SaveCount(), static_cast<unsigned>(saves));
  auto transcript = rig.sim.Transcript();
  ExpectNoInterleaving(transcript);
  // The boot loader's reports form one run: no command got in between two packets.
  size_t first = transcript.size();
  size_t last = 0;
  for (size_t i = 0; i < transcript.size(); ++i) {
    if (transcript[i].device == SimDevice::BootLoader) {
      first = std::min(first, i);
      last = i;
    }
  }
  EXPECT_EQ(last - first + 1, 2u * 201u);
}
