// Every fault of the matrix against the real sequences and the simulated controller, and
// docs/FAULTS.md kept equal to the matrix.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "tests/unit/faults/FaultMatrix.h"
#include "workflows/backups/BackupFormat.h"
#include "workflows/backups/BackupStateNames.h"
#include "workflows/SequenceEnd.h"

namespace {

uint32_t RunCase(FaultRig& rig, const FaultCase& fault, bool inject) {
  if (fault.sequence == Sequence::kForcedUpgrade) {
    EXPECT_TRUE(rig.PrepareForcedUpgrade() && rig.run.Buttons().backedUp &&
                rig.run.Global().backedUp);
  }
  if (fault.sequence == Sequence::kInitialize) {
    rig.sim.SetHomeHeld(true);
  }
  if (inject) {
    InjectFault(rig, fault);
  }
  switch (fault.sequence) {
    case Sequence::kUpgrade:
      return rig.RunUpgrade();
    case Sequence::kForcedUpgrade:
      return rig.RunForcedUpgrade();
    case Sequence::kInitialize:
      return rig.RunInitialize();
  }
  return 0;
}

// The outcome box, or (for a restore that failed) the offer to try again, which the user
// here declines.
std::wstring OutcomeBox(Ending ending) {
  switch (ending) {
    case Ending::kSuccess:
      return L"box Upgrade success|info|info";
    case Ending::kWarned:
      return L"retry? " + std::wstring(kRestoreFailedOutcome) + L"|warn|warning";
    case Ending::kRefused:
      return L"box Power switch unavailable!|error|error";
    default:
      return L"box Upgrade failed!|error|error";
  }
}

Lines Boxes(FaultRig& rig) {
  Lines boxes;
  for (const std::wstring& line : rig.Calls()) {
    if (line.rfind(L"box ", 0) == 0 || line.rfind(L"retry? ", 0) == 0) {
      boxes.push_back(line);
    }
  }
  return boxes;
}

// After an upgrade: one outcome box, then its end.
void ExpectUpgradeEnding(FaultRig& rig, const FaultCase& fault) {
  const bool normal = fault.sequence == Sequence::kUpgrade;
  EXPECT_EQ(Boxes(rig), Lines{OutcomeBox(fault.expect.ending)});
  EXPECT_EQ(rig.Calls().back(), normal ? L"end update" : L"end forced upgrade");
  // Only a failed normal upgrade asks for the recovery.
  const size_t recovery = normal && fault.expect.ending == Ending::kFailure ? 1 : 0;
  const Lines calls = rig.Calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), L"recovery needed"),
            static_cast<long>(recovery));
}

void ExpectInitializeEnding(FaultRig& rig, const FaultCase& fault) {
  const Lines calls = rig.Calls();
  const bool found = fault.expect.ending == Ending::kForceUpdateReady;
  EXPECT_EQ(std::count(calls.begin(), calls.end(), L"boot loader found"), found ? 1 : 0);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), L"end initialize"), 1);
  EXPECT_TRUE(rig.CallsOf(L"box").empty());
  EXPECT_EQ(rig.run.Buttons().backedUp, fault.expect.buttonsBackedUp);
  EXPECT_EQ(rig.run.Global().backedUp, fault.expect.globalBackedUp);
}

// What the controller holds: the whole image after a success, its untouched configuration
// after a failure, and the blocks that the row says went back.
void ExpectController(FaultRig& rig, const FaultCase& fault, unsigned powerOnsBefore) {
  const Expectation& e = fault.expect;
  if (e.ending == Ending::kSuccess || e.ending == Ending::kWarned) {
    EXPECT_TRUE(rig.sim.ImageComplete());
    EXPECT_EQ(rig.sim.ReceivedImage(), std::vector<uint8_t>(rig.image.begin(), rig.image.end()));
  }
  if (e.ending == Ending::kRefused) {
    EXPECT_TRUE(rig.sim.Transcript().empty());
  }
  if (e.ending == Ending::kFailure || e.ending == Ending::kRefused) {
    EXPECT_EQ(rig.sim.PowerOnCount(), powerOnsBefore);
    EXPECT_EQ(rig.sim.GetGlobalConfig(), rig.userGlobal);
    EXPECT_EQ(rig.sim.GetButtonConfig(), rig.userButtons);
  }
  // Each try of a restore write carries the same copy.
  if (e.restored.global) {
    const std::vector<uint8_t> written = rig.GlobalWritten();
    ASSERT_EQ(written.size() % kGlobalConfigSize, 0u);
    for (size_t at = 0; at < written.size(); at += kGlobalConfigSize) {
      EXPECT_TRUE(std::equal(rig.userGlobal.begin(), rig.userGlobal.end(), written.begin() + at));
    }
  }
  if (e.restored.buttons) {
    EXPECT_EQ(rig.sim.GetButtonConfig(), rig.userButtons);
  }
  if (e.restored.mode) {
    const std::vector<uint16_t> modes = rig.sim.ModesSet();
    EXPECT_FALSE(modes.empty());
    EXPECT_EQ(std::count(modes.begin(), modes.end(), kUserMode), static_cast<long>(modes.size()));
  }
  // Data packets go out in order, each once: none after one that failed.
  const auto packets = rig.RequestsOf(SimDevice::BootLoader, CommandCode::DataPacket);
  for (size_t i = 0; i < packets.size(); ++i) {
    EXPECT_EQ(packets[i].Argument(), i);
  }
  EXPECT_TRUE(rig.sim.Violations().empty());
}

// The backup on disk: made once both blocks (or, in Initialize, any block) were read;
// pending from the moment the transfer began until all of it went back.
void ExpectSavedBackup(FaultRig& rig, const FaultCase& fault) {
  const auto files = rig.backups.Files();
  const Expectation& e = fault.expect;
  const bool taken = fault.sequence == Sequence::kForcedUpgrade ||
                     (fault.sequence == Sequence::kUpgrade ? e.buttonsBackedUp && e.globalBackedUp
                                                           : e.buttonsBackedUp || e.globalBackedUp);
  ASSERT_EQ(files.size(), taken ? 1u : 0u);
  if (!taken) {
    return;
  }
  SavedBackup backup;
  ASSERT_EQ(ParseBackup(files.begin()->second, &backup), BackupDamage::kNone);
  EXPECT_EQ(backup.buttons.has_value(),
            fault.sequence != Sequence::kInitialize || e.buttonsBackedUp);
  // The first data packet erases the controller's copy; a device gone at it may have taken it.
  const bool transferBegan =
      !rig.RequestsOf(SimDevice::BootLoader, CommandCode::DataPacket).empty() ||
      (fault.step == DeviceStep::kFirstPacket && fault.fault == Injected::kDeviceGone);
  BackupState expected = transferBegan ? BackupState::kPending : BackupState::kSaved;
  if (e.ending == Ending::kSuccess) {
    expected = BackupState::kWrittenBack;
  }
  EXPECT_EQ(StateWord(backup.state), std::string(StateWord(expected)));
}

// Not from __FILE__: builds name their sources relative to the source tree.
std::string RepositoryRoot() {
  return PADWRIGHT_SOURCE_DIR "/";
}

}  // namespace

class FaultMatrixTest : public testing::TestWithParam<FaultCase> {};

TEST_P(FaultMatrixTest, EndsAsListed) {
  const FaultCase& fault = GetParam();
  uint32_t plainMs = 0;
  {
    FaultRig plain;
    plainMs = RunCase(plain, fault, false);
  }
  FaultRig rig;
  const unsigned powerOnsBefore =
      fault.sequence == Sequence::kForcedUpgrade ? 1u : 0u;  // Initialize's own power cycle
  const uint32_t tookMs = RunCase(rig, fault, true);

  EXPECT_EQ(rig.StepStatuses(), fault.expect.statuses);
  EXPECT_EQ(RequestCodes(rig.sim.Transcript()), fault.expect.requests);
  if (fault.sequence == Sequence::kInitialize) {
    ExpectInitializeEnding(rig, fault);
  } else {
    ExpectUpgradeEnding(rig, fault);
  }
  ExpectController(rig, fault, powerOnsBefore);
  ExpectSavedBackup(rig, fault);
  EXPECT_EQ(rig.run.Buttons().block,
            fault.expect.buttonsBackedUp ? rig.userButtons : ButtonConfig{});
  EXPECT_EQ(rig.run.Global().block, fault.expect.globalBackedUp ? rig.userGlobal : GlobalConfig{});
  EXPECT_LE(tookMs, plainMs + fault.expect.extraWaitMs)
      << "took " << tookMs << " ms, " << plainMs << " ms without the fault";
}

INSTANTIATE_TEST_SUITE_P(Matrix, FaultMatrixTest, testing::ValuesIn(FaultCases()),
                         [](const testing::TestParamInfo<FaultCase>& info) {
                           return CaseId(info.param);
                         });

TEST(FaultMatrixCoverage, EveryRequestOfEverySequenceMeetsEveryFault) {
  std::set<std::string> ids;
  for (const FaultCase& fault : FaultCases()) {
    EXPECT_TRUE(ids.insert(CaseId(fault)).second) << "twice: " << CaseId(fault);
  }
  const Injected atRequest[] = {Injected::kNoReply, Injected::kLateReply, Injected::kShortReply,
                                Injected::kWrongReportLength, Injected::kDeviceGone};
  const DeviceStep upgradeSteps[] = {
      DeviceStep::kButtonBackup, DeviceStep::kGlobalBackup,  DeviceStep::kEnterPacket,
      DeviceStep::kFirstPacket,  DeviceStep::kMiddlePacket,  DeviceStep::kLastPacket,
      DeviceStep::kEndPacket,    DeviceStep::kGlobalRestore, DeviceStep::kButtonRestore,
      DeviceStep::kVersionRead,  DeviceStep::kSave,          DeviceStep::kMode};
  for (Sequence sequence : {Sequence::kUpgrade, Sequence::kForcedUpgrade}) {
    EXPECT_EQ(
        ids.count(CaseId({sequence, DeviceStep::kPowerCheck, Injected::kSwitchUnavailable, {}})),
        1u);
    for (DeviceStep step : upgradeSteps) {
      const bool forcedSkips = step == DeviceStep::kButtonBackup ||
                               step == DeviceStep::kGlobalBackup ||
                               step == DeviceStep::kEnterPacket;
      if (sequence == Sequence::kForcedUpgrade && forcedSkips) {
        continue;  // the forced upgrade has no backup and finds the boot loader waiting
      }
      for (Injected fault : atRequest) {
        EXPECT_EQ(ids.count(CaseId({sequence, step, fault, {}})), 1u)
            << SequenceName(sequence) << ", " << StepName(step) << ", " << FaultName(fault);
      }
    }
  }
  for (DeviceStep step : {DeviceStep::kButtonBackup, DeviceStep::kGlobalBackup}) {
    for (Injected fault : atRequest) {
      EXPECT_EQ(ids.count(CaseId({Sequence::kInitialize, step, fault, {}})), 1u);
    }
  }
  EXPECT_GE(ids.size(), 120u);
}

TEST(FaultsDocument, MatchesTheMatrix) {
  const std::string path = RepositoryRoot() + "docs/FAULTS.md";
  const std::string expected = FaultsMarkdown();
  if (std::getenv("PADWRIGHT_WRITE_FAULTS") != nullptr) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << expected;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in.is_open()) << path;
  std::stringstream committed;
  committed << in.rdbuf();
  EXPECT_EQ(committed.str(), expected)
      << "docs/FAULTS.md differs from the fault matrix; write it again with "
         "PADWRIGHT_WRITE_FAULTS=1";
}
