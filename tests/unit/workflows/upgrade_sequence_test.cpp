// The normal upgrade against the simulated controller: the steps in order, their texts and
// waits, what the controller receives, and every way the sequence can end.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/unit/workflows/WorkflowFixture.h"
#include "workflows/UpgradeSequence.h"

namespace {

const Lines kBackupAndTransfer{L"Backup config.....", L"Ready, please wait..."};
const Lines kPowerCycle{L"Power off.....", L"Power on....."};
const Lines kRestore{L"Recovery config.....", L"Recovery global config...",
                     L"Recovery global ok",   L"Recovery button config...",
                     L"Recovery config ok!",  L"Get current version...",
                     L"Save config..."};

// The calls from the outcome on, for a successful and for a failed normal upgrade.
const Lines kSuccessEnd{L"firmware in", L"status Upgrade success", L"box Upgrade success|info|info",
                        L"end update"};
const Lines kFailureEnd{L"recovery needed", L"status Upgrade failed!",
                        L"box Upgrade failed!|error|error", L"end update"};
const Lines kWarnedEnd{L"firmware in", L"status Upgrade success",
                       L"retry? Upgrade success\n\nThe saved configuration could not be "
                       L"restored.|warn|warning",
                       L"end update"};

// The answer to a restore write lost three times over: every try of it fails. `perTry` is
// how many requests of the kind each try makes up to the failing one.
void LoseThreeTimes(WorkflowTest& t, Step step, uint32_t first, uint32_t perTry = 1) {
  for (uint32_t i = 0; i < 3; ++i) {
    t.sim.Inject(step, first + i * perTry, Fault::NoReply);
  }
}
const Lines kRefusedEnd{L"status Power switch unavailable!",
                        L"box Power switch unavailable!|error|error", L"end update"};

}  // namespace

class UpgradeSequenceTest : public WorkflowTest {};

TEST_F(UpgradeSequenceTest, OldStyleFirmwareEndsAfterSaveWithEverythingRestored) {
  SetFirmwareVersions(1, 2);
  RunUpgrade();

  Lines calls = view.Calls();
  ASSERT_GE(calls.size(), 8u);
  EXPECT_EQ(Lines(calls.begin(), calls.begin() + 4),
            (Lines{L"start update", L"work on", L"progress 0", L"status Backup config....."}));
  EXPECT_EQ(Tail(calls, kSuccessEnd.size()), kSuccessEnd);
  EXPECT_EQ(StepStatuses(),
            Join({kBackupAndTransfer, kPowerCycle, kRestore, Lines{L"Upgrade success"}}));

  EXPECT_EQ(sim.ReceivedImage(), image);
  EXPECT_TRUE(sim.ImageComplete());
  EXPECT_TRUE(sim.Violations().empty());
  EXPECT_EQ(sim.PowerOnCount(), 1u);
  EXPECT_EQ(GlobalWritten(), std::vector<uint8_t>(userGlobal.begin(), userGlobal.end()));
  EXPECT_EQ(ButtonsWritten(), std::vector<uint8_t>(userButtons.begin(), userButtons.end()));
  EXPECT_EQ(sim.GetButtonConfig(), userButtons);
  EXPECT_EQ(sim.SaveCount(), 1u);
  EXPECT_TRUE(sim.ModesSet().empty());
  EXPECT_EQ(run.Global().block, userGlobal);
  EXPECT_EQ(run.Buttons().block, userButtons);
  EXPECT_EQ(view.Count(L"recovery needed"), 0u);
}

TEST_F(UpgradeSequenceTest, FirmwareThreeAndUpGetsTheSavedModeBackAfterOneSecond) {
  SetFirmwareVersions(3, 4);
  RunUpgrade();

  EXPECT_EQ(StepStatuses(),
            Join({kBackupAndTransfer, kPowerCycle, kRestore,
                  Lines{L"Recovery mode: 7", L"Recovery mode ok", L"Upgrade success"}}));
  EXPECT_EQ(sim.ModesSet(), std::vector<uint16_t>{kUserMode});
  auto modeRequests = RequestsOf(SimDevice::Controller, CommandCode::SetMode);
  ASSERT_EQ(modeRequests.size(), 1u);
  // The mode request is the last one, sent a second after its text.
  std::vector<TranscriptEntry> transcript = sim.Transcript();
  uint32_t modeSentAt = 0;
  for (const TranscriptEntry& entry : transcript) {
    if (entry.direction == Direction::HostToDevice &&
        entry.Report().Command() == static_cast<uint8_t>(CommandCode::SetMode)) {
      modeSentAt = entry.timeMs;
    }
  }
  EXPECT_GE(modeSentAt - view.TimeOf(L"status Recovery mode: 7"), 1000u);
  EXPECT_LT(modeSentAt - view.TimeOf(L"status Recovery mode: 7"), 1300u);
  EXPECT_EQ(sim.GetGlobalConfig()[kModeByte], kUserMode);
  EXPECT_EQ(sim.SaveCount(), 1u);
}

TEST_F(UpgradeSequenceTest, PowerIsCycledWithItsPausesThroughTheSwitch) {
  RunUpgrade();
  EXPECT_EQ(view.TimeOf(L"status Power on.....") - view.TimeOf(L"status Power off....."), 1000u);
  EXPECT_EQ(view.TimeOf(L"status Recovery config.....") - view.TimeOf(L"status Power on....."),
            2000u);
  EXPECT_EQ(memory.PowerByte() & 0x01, 0x01);
  EXPECT_EQ(sim.PowerOnCount(), 1u);
}

TEST_F(UpgradeSequenceTest, ProgressMovesAtMostEveryHundredMillisecondsAndEndsFull) {
  sim.SetReplyLatencyMs(10);
  WriteImage(58 * 40 + 17);
  RunUpgrade();

  Lines positions = view.CallsOf(L"progress");
  ASSERT_GE(positions.size(), 3u);
  EXPECT_EQ(positions.front(), L"0");
  EXPECT_EQ(positions.back(), L"1000");
  // Every shown update but the last is more than 100 ms after the one before.
  std::vector<uint32_t> times;
  for (const std::wstring& text : ProgressStatuses()) {
    times.push_back(view.TimeOf(L"status " + text));
  }
  ASSERT_GE(times.size(), 3u);
  for (size_t i = 1; i + 1 < times.size(); ++i) {
    EXPECT_GT(times[i] - times[i - 1], 100u) << i;
  }
  // Elapsed time counts from before the backup, so it includes the 34 backup exchanges.
  uint32_t start = view.TimeOf(L"progress 0");
  EXPECT_GE(view.TimeOf(L"status Ready, please wait...") - start, 340u);
  std::wstring last = ProgressStatuses().back();
  EXPECT_EQ(last, L"Upgrading, progress: 2337/2337 100% elapsed time: " +
                      std::to_wstring(view.TimeOf(L"status " + last) - start) + L"ms");
}

TEST_F(UpgradeSequenceTest, ControllerThatCannotBeOpenedEndsInFailureWithoutTransfer) {
  sim.SetPower(false);
  RunUpgrade();
  EXPECT_EQ(StepStatuses(),
            (Lines{L"Backup config.....", L"Backup button config failed!", L"Upgrade failed!"}));
  EXPECT_EQ(Tail(view.Calls(), kFailureEnd.size()), kFailureEnd);
  EXPECT_TRUE(sim.Requests(SimDevice::BootLoader).empty());
  EXPECT_EQ(sim.PowerOnCount(), 0u);
}

struct FailureRow {
  const char* name;
  std::function<void(WorkflowTest&)> arrange;
  Lines statuses;    // step texts, progress texts left out
  const Lines& end;  // the calls from the outcome on
};

void PrintTo(const FailureRow& row, std::ostream* out) {
  *out << row.name;
}

class UpgradeFailureTable : public WorkflowTest, public testing::WithParamInterface<FailureRow> {};

TEST_P(UpgradeFailureTable, EndsWithItsTextsAndOutcome) {
  SetFirmwareVersions(3, 4);
  GetParam().arrange(*this);
  RunUpgrade();
  EXPECT_EQ(StepStatuses(), GetParam().statuses);
  EXPECT_EQ(Tail(view.Calls(), GetParam().end.size()), GetParam().end);
  // Only a failure offers the recovery path; only a refusal leaves the controller untouched.
  const bool failed = &GetParam().end == &kFailureEnd;
  EXPECT_EQ(view.Count(L"recovery needed"), failed ? 1u : 0u);
  EXPECT_EQ(sim.Transcript().empty(), &GetParam().end == &kRefusedEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UpgradeFailureTable,
    testing::Values(
        FailureRow{"ButtonBackup",
                   [](WorkflowTest& t) { t.sim.Inject(Step::ButtonRead, 7, Fault::NoReply); },
                   {L"Backup config.....", L"Backup button config failed!", L"Upgrade failed!"},
                   kFailureEnd},
        FailureRow{"GlobalBackup",
                   [](WorkflowTest& t) { t.sim.Inject(Step::GlobalRead, 0, Fault::NoReply); },
                   {L"Backup config.....", L"Backup global config failed!", L"Upgrade failed!"},
                   kFailureEnd},
        FailureRow{"NoBootLoader",
                   [](WorkflowTest& t) { t.sim.Inject(Step::Enter, 0, Fault::NoBootLoader); },
                   Join({kBackupAndTransfer, Lines{L"Upgrade failed!"}}), kFailureEnd},
        FailureRow{"GlobalRestore",
                   [](WorkflowTest& t) { LoseThreeTimes(t, Step::GlobalWrite, 0); },
                   Join({kBackupAndTransfer, kPowerCycle,
                         Lines{L"Recovery config.....", L"Recovery global config...",
                               L"Recovery global failed", L"Upgrade success"}}),
                   kWarnedEnd},
        FailureRow{"ButtonRestore",
                   [](WorkflowTest& t) { LoseThreeTimes(t, Step::ButtonWrite, 4, 5); },
                   Join({kBackupAndTransfer, kPowerCycle,
                         Lines{L"Recovery config.....", L"Recovery global config...",
                               L"Recovery global ok", L"Recovery button config...",
                               L"Recovery config failed", L"Upgrade success"}}),
                   kWarnedEnd},
        FailureRow{"VersionRead",
                   [](WorkflowTest& t) { t.sim.Inject(Step::GlobalRead, 1, Fault::NoReply); },
                   Join({kBackupAndTransfer, kPowerCycle,
                         Lines(kRestore.begin(), kRestore.end() - 1), Lines{L"Upgrade success"}}),
                   kWarnedEnd},
        FailureRow{"Save", [](WorkflowTest& t) { t.sim.Inject(Step::Save, 0, Fault::NoReply); },
                   Join({kBackupAndTransfer, kPowerCycle, kRestore,
                         Lines{L"Recovery mode: 7", L"Recovery mode ok", L"Upgrade success"}}),
                   kSuccessEnd},
        FailureRow{"ModeRestore", [](WorkflowTest& t) { LoseThreeTimes(t, Step::SetMode, 0); },
                   Join({kBackupAndTransfer, kPowerCycle, kRestore,
                         Lines{L"Recovery mode: 7", L"Recovery mode failed!", L"Upgrade success"}}),
                   kWarnedEnd},
        FailureRow{"PowerSwitchUnavailable",
                   [](WorkflowTest& t) { t.memory.SetUnavailable(true); },
                   {L"Power switch unavailable!"},
                   kRefusedEnd},
        FailureRow{"PowerSwitchFailsAfterTheCheck",
                   // The controller stays in its boot loader, so the restore finds nothing.
                   [](WorkflowTest& t) { t.memory.SetUnavailableAfter(1); },
                   Join({kBackupAndTransfer, kPowerCycle,
                         Lines{L"Recovery config.....", L"Recovery global config...",
                               L"Recovery global failed", L"Upgrade success"}}),
                   kWarnedEnd}),
    [](const testing::TestParamInfo<FailureRow>& info) { return std::string(info.param.name); });

TEST_F(UpgradeSequenceTest, FailedRestoreSkipsEveryLaterRequest) {
  LoseThreeTimes(*this, Step::GlobalWrite, 0);
  RunUpgrade();
  EXPECT_EQ(RequestsOf(SimDevice::Controller, CommandCode::WriteGlobalConfig).size(), 3u);
  EXPECT_TRUE(RequestsOf(SimDevice::Controller, CommandCode::WriteButtonBlock).empty());
  // Only the backup's read of the global block; no version read, save or mode.
  EXPECT_EQ(RequestsOf(SimDevice::Controller, CommandCode::ReadGlobalConfig).size(), 1u);
  EXPECT_EQ(sim.SaveCount(), 0u);
  EXPECT_TRUE(sim.ModesSet().empty());
}

TEST_F(UpgradeSequenceTest, TransferThatStopsHalfwayFailsAndLeavesItsLastProgress) {
  sim.SetReplyLatencyMs(30);
  sim.Inject(Step::DataPacket, 10, Fault::NoReply);
  RunUpgrade();

  Lines statuses = view.CallsOf(L"status");
  ASSERT_GE(statuses.size(), 2u);
  EXPECT_EQ(statuses.back(), L"Upgrade failed!");
  EXPECT_EQ(statuses[statuses.size() - 2].rfind(L"Upgrading, progress: ", 0), 0u);
  EXPECT_NE(view.CallsOf(L"progress").back(), L"1000");
  EXPECT_EQ(Tail(view.Calls(), kFailureEnd.size()), kFailureEnd);
  // No later data packet, no power cycle, nothing restored.
  EXPECT_EQ(RequestsOf(SimDevice::BootLoader, CommandCode::DataPacket).size(), 11u);
  EXPECT_EQ(sim.PowerOnCount(), 0u);
  EXPECT_TRUE(GlobalWritten().empty());
}

TEST_F(UpgradeSequenceTest, UnreadableOrEmptyImageEndsBeforeAnyDeviceStep) {
  for (bool empty : {false, true}) {
    SCOPED_TRACE(empty ? "empty file" : "missing file");
    RecordingView fresh;
    sim.ClearTranscript();
    WriteImage(0);
    UpgradeSequence(link, context, fresh, run, empty ? ImagePath() : MissingPath());
    EXPECT_EQ(fresh.Calls(),
              (Lines{L"start update", L"work on", L"work off", L"status Read firmware file failed!",
                     L"box Read firmware file failed!|error|error", L"end update"}));
    EXPECT_TRUE(sim.Transcript().empty());
  }
}
