// Every fault of the matrix against the real sequences and the simulated controller, and
// docs/FAULTS.md kept equal to the matrix.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "tests/unit/faults/FaultMatrix.h"
#include "ui/resource.h"
#include "workflows/BackupBuffers.h"
#include "workflows/SequenceEnd.h"

namespace {

uint32_t RunCase(FaultRig& rig, const FaultCase& fault, bool inject) {
  if (fault.sequence == Sequence::kForcedUpgrade) {
    EXPECT_TRUE(rig.PrepareForcedUpgrade() && rig.view.buttonBackedUp && rig.view.globalBackedUp);
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

std::wstring OutcomeBox(Ending ending) {
  switch (ending) {
    case Ending::kSuccess:
      return L"Upgrade success|info|info";
    case Ending::kWarned:
      return std::wstring(kRestoreFailedOutcome) + L"|warn|warning";
    case Ending::kRefused:
      return L"Power switch unavailable!|error|error";
    default:
      return L"Upgrade failed!|error|error";
  }
}

// The window after an upgrade: one outcome box, then the tail that frees it.
void ExpectUpgradeEnding(FaultRig& rig, const FaultCase& fault) {
  const bool normal = fault.sequence == Sequence::kUpgrade;
  const uint16_t start = normal ? IDC_UPDATE : IDC_FORCE_UPDATE;
  EXPECT_EQ(rig.CallsOf(L"box"), Lines{OutcomeBox(fault.expect.ending)});
  EXPECT_EQ(Tail(rig.Calls(), 7), FreedWindowCalls(start));
  // Only a failed normal upgrade shows the recovery group and offers Initialize.
  const size_t recovery = normal && fault.expect.ending == Ending::kFailure ? 1 : 0;
  const Lines calls = rig.Calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), L"grow"), static_cast<long>(recovery));
  EXPECT_EQ(std::count(calls.begin(), calls.end(), L"enable 1025"), static_cast<long>(recovery));
}

void ExpectInitializeEnding(FaultRig& rig, const FaultCase& fault) {
  const Lines calls = rig.Calls();
  const bool found = fault.expect.ending == Ending::kForceUpdateReady;
  EXPECT_EQ(std::count(calls.begin(), calls.end(), L"enable 1361"), found ? 1 : 0);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), L"enable 1025"), found ? 0 : 1);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), L"idle"), 1);
  EXPECT_TRUE(rig.CallsOf(L"box").empty());
  EXPECT_EQ(rig.view.buttonBackedUp, fault.expect.buttonsBackedUp);
  EXPECT_EQ(rig.view.globalBackedUp, fault.expect.globalBackedUp);
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
  if (e.restored.global) {
    EXPECT_EQ(rig.GlobalWritten(),
              std::vector<uint8_t>(rig.userGlobal.begin(), rig.userGlobal.end()));
  }
  if (e.restored.buttons) {
    EXPECT_EQ(rig.sim.GetButtonConfig(), rig.userButtons);
  }
  if (e.restored.mode) {
    EXPECT_EQ(rig.sim.ModesSet(), std::vector<uint16_t>{kUserMode});
  }
  // Data packets go out in order, each once: none after one that failed.
  const auto packets = rig.RequestsOf(SimDevice::BootLoader, CommandCode::DataPacket);
  for (size_t i = 0; i < packets.size(); ++i) {
    EXPECT_EQ(packets[i].Argument(), i);
  }
  EXPECT_TRUE(rig.sim.Violations().empty());
}

std::string RepositoryRoot() {
  std::string file = __FILE__;
  return file.substr(0, file.rfind("tests/unit/faults/"));
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
  EXPECT_EQ(savedButtonConfig, fault.expect.buttonsBackedUp ? rig.userButtons : ButtonConfig{});
  EXPECT_EQ(savedGlobalConfig, fault.expect.globalBackedUp ? rig.userGlobal : GlobalConfig{});
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
