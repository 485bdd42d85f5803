// Randomised fault schedules against the simulated controller: a few faults of any kind at
// any request, odd delays and latencies, a power switch that may not work, and the normal
// upgrade or Initialize followed by Force update. The controller's own record must then
// show that the tool told the truth and carried the configuration back unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/unit/faults/FaultRig.h"
#include "tests/unit/fuzz/PropertyRun.h"
#include "workflows/backups/BackupStore.h"
#include "workflows/backups/BackupStateNames.h"
#include "workflows/SequenceEnd.h"

namespace {

struct Schedule {
  explicit Schedule(uint32_t seed) : random(seed) {}
  uint32_t Below(uint32_t n) { return random() % n; }
  bool Chance(unsigned percent) { return Below(100) < percent; }
  std::mt19937 random;
};

void Arrange(FaultRig& rig, Schedule& schedule) {
  rig.sim.SetReplyLatencyMs(schedule.Chance(70) ? 0 : schedule.Below(300));
  rig.sim.SetBootDelayMs(schedule.Below(schedule.Chance(80) ? 2000 : 12000));
  rig.sim.SetPowerOnDelayMs(schedule.Below(schedule.Chance(80) ? 1000 : 5000));
  rig.sim.SetEnterAnswered(schedule.Chance(80));
  if (schedule.Chance(5)) {
    rig.memory.SetUnavailable(true);
  } else if (schedule.Chance(5)) {
    rig.memory.SetUnavailableAfter(1 + schedule.Below(3));  // fails after the check
  }
  const unsigned faults = schedule.Below(4);
  for (unsigned i = 0; i < faults; ++i) {
    const Step step = static_cast<Step>(schedule.Below(kStepCount));
    const Fault fault = static_cast<Fault>(schedule.Below(6));
    uint32_t value = 0;
    if (fault == Fault::LateReply) {
      value = schedule.Below(16000);
    } else if (fault == Fault::ShortReply || fault == Fault::WrongReportLength) {
      value = schedule.Below(80);
    }
    rig.sim.Inject(step, schedule.Below(step == Step::DataPacket ? 24 : 40), fault, value);
  }
}

// What the controller saw of a finished upgrade, against what the view was told.
void ExpectTruthfulUpgrade(FaultRig& rig, unsigned powerOnsBefore, const std::wstring& end) {
  Lines boxes = rig.CallsOf(L"box");
  const Lines retries = rig.CallsOf(L"retry?");  // declined: the restore stays undone
  boxes.insert(boxes.end(), retries.begin(), retries.end());
  ASSERT_EQ(boxes.size(), 1u);
  const Lines calls = rig.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), end);
  const bool clean = boxes[0] == L"Upgrade success|info|info";
  if (clean || boxes[0] == std::wstring(kRestoreFailedOutcome) + L"|warn|warning") {
    EXPECT_TRUE(rig.sim.ImageComplete()) << "success without the whole image acknowledged";
    EXPECT_EQ(rig.sim.ReceivedImage(), std::vector<uint8_t>(rig.image.begin(), rig.image.end()));
  } else if (boxes[0] == L"Power switch unavailable!|error|error") {
    EXPECT_TRUE(rig.sim.Transcript().empty()) << "refused, yet the controller was touched";
  } else {
    EXPECT_EQ(boxes[0], L"Upgrade failed!|error|error");
    EXPECT_EQ(rig.sim.PowerOnCount(), powerOnsBefore) << "a failed upgrade restarted it";
    EXPECT_TRUE(rig.RequestsOf(SimDevice::Controller, CommandCode::WriteGlobalConfig).empty());
    EXPECT_TRUE(rig.RequestsOf(SimDevice::Controller, CommandCode::WriteButtonBlock).empty());
  }
  // A success without a warning means every copy this run holds is on the controller.
  if (clean && rig.run.Global().backedUp) {
    const GlobalConfig now = rig.sim.GetGlobalConfig();
    EXPECT_TRUE(std::equal(now.begin() + 1, now.end(), rig.userGlobal.begin() + 1));
  }
  if (clean && rig.run.Buttons().backedUp) {
    EXPECT_EQ(rig.sim.GetButtonConfig(), rig.userButtons);
  }
  // A restore that did not complete leaves the user's copies on disk, to go back later.
  if (!retries.empty()) {
    BackupEntry newest;
    ASSERT_TRUE(NewestSoundBackup(&rig.backups, &newest));
    EXPECT_EQ(StateWord(newest.backup.state), std::string("pending"));
    if (newest.backup.buttons) {
      EXPECT_EQ(*newest.backup.buttons, rig.userButtons);
    }
  }
  // Whatever went back is the user's configuration, block for block.
  for (const CommandReport& report :
       rig.RequestsOf(SimDevice::Controller, CommandCode::WriteGlobalConfig)) {
    EXPECT_TRUE(std::equal(rig.userGlobal.begin(), rig.userGlobal.end(), report.Payload()));
  }
  for (const CommandReport& report :
       rig.RequestsOf(SimDevice::Controller, CommandCode::WriteButtonBlock)) {
    ASSERT_LT(report.Argument(), kButtonBlockCount);
    EXPECT_TRUE(std::equal(report.Payload(), report.Payload() + kButtonBlockSize,
                           rig.userButtons.begin() + report.Argument() * kButtonBlockSize));
  }
  for (uint16_t mode : rig.sim.ModesSet()) {
    EXPECT_EQ(mode, kUserMode);
  }
}

// Every request well formed, and the data packets of each boot-loader session in order,
// none sent twice and none after the end packet.
void ExpectCleanRequests(FaultRig& rig) {
  EXPECT_TRUE(rig.sim.Violations().empty());
  uint32_t next = 0;
  for (const TranscriptEntry& entry : rig.sim.Transcript()) {
    if (entry.direction != Direction::HostToDevice || entry.device != SimDevice::BootLoader) {
      continue;
    }
    const CommandReport report = entry.Report();
    if (report.Command() == static_cast<uint8_t>(CommandCode::DataPacket)) {
      EXPECT_EQ(report.Argument(), next);
      ++next;
    } else {
      next = 0;  // an end packet closes the transfer; a new one starts from 0
    }
  }
}

}  // namespace

TEST(FaultScheduleProperty, RandomFaultsNeverMakeTheToolLieOrLoseTheConfiguration) {
  property::ForEachSeed(120, [](uint32_t seed) {
    Schedule schedule(seed);
    FaultRig rig;
    const bool forced = schedule.Chance(40);
    unsigned powerOnsBefore = 0;
    if (forced) {
      rig.sim.SetHomeHeld(true);
      rig.RunInitialize();
      rig.sim.SetHomeHeld(false);
      // Only what Initialize read back may go back.
      if (rig.run.Buttons().backedUp) {
        EXPECT_EQ(rig.run.Buttons().block, rig.userButtons);
      }
      if (rig.run.Global().backedUp) {
        EXPECT_EQ(rig.run.Global().block, rig.userGlobal);
      }
      if (rig.view.Count(L"boot loader found") == 0) {
        return;  // Force update never became available
      }
      powerOnsBefore = rig.sim.PowerOnCount();
    }
    rig.sim.ClearTranscript();
    Arrange(rig, schedule);
    const size_t before = rig.Calls().size();
    const uint32_t tookMs = forced ? rig.RunForcedUpgrade() : rig.RunUpgrade();
    ASSERT_GT(rig.Calls().size(), before);
    ExpectTruthfulUpgrade(rig, powerOnsBefore, forced ? L"end forced upgrade" : L"end update");
    ExpectCleanRequests(rig);
    // No hang: beyond the fixed pauses, each request may cost two 10 s time-outs and each
    // command (each try of a restore write) a search for its device (the longest 10 s), the
    // boot loader wait 10 s more.
    const size_t requests = rig.sim.Requests(SimDevice::Controller).size() +
                            rig.sim.Requests(SimDevice::BootLoader).size();
    EXPECT_LE(tookMs, 20000u * (requests + 8) + 14 * 11000u + 10000u + 4000u);
  });
}
