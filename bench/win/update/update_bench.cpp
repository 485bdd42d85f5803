// A whole update of the shipped padwright.exe under Wine against the simulated controller
// (64 KiB and 256 KiB images): Update pressed, the outcome box answered, then each phase as
// the run's history keeps it beside its floor. The exchanges' floor is taken at the round
// trip the transfer itself shows (its packets are nothing but exchanges), the rest is fixed:
// the simulator's re-enumeration (the boot loader 300 ms after the restart command, the
// controller 500 ms after power-on, inside the 2 s pause), the pauses (1 s off, 2 s on, 1 s
// before the mode) and one polling step (200 ms) for a device found by polling.
#include <windows.h>

#include <cstdio>

#include "frontends/window/resource.h"
#include "platform/win/WinBackupFolder.h"
#include "platform/win/WindowsClock.h"
#include "sim/SimClock.h"
#include "sim/ControllerSimulator.h"
#include "tests/support/UserController.h"
#include "tests/win/support/ProductSession.h"
#include "tests/win/support/SimulatorId.h"
#include "tests/win/support/WindowProbe.h"
#include "workflows/RunHistory.h"

namespace {

constexpr uint32_t kPollStepMs = 200;

bool NewestRecord(RunRecord* record) {
  static WindowsClock clock;
  static CWinBackupFolder folder(CWinBackupFolder::DefaultPath(), clock);
  KeptRuns history;
  const bool read = ReadRunHistory(&folder, &history) && !history.records.empty();
  if (read) {
    *record = history.records.back();
  }
  return read;
}

void Print(size_t bytes, const RunRecord& record) {
  const auto ms = [&](RunPhase phase) {
    return record.phaseMs[static_cast<size_t>(phase)].value_or(0);
  };
  const double packets = static_cast<double>((bytes + 57) / 58 + 1);
  const double roundTrip = ms(RunPhase::kTransfer) / packets;
  const double floors[kRunPhaseCount] = {34 * roundTrip,
                                         3 * roundTrip + 300 + kPollStepMs,
                                         packets * roundTrip,
                                         3000,
                                         0,
                                         34 * roundTrip,
                                         3 * roundTrip + 1000};
  const char* const names[kRunPhaseCount] = {"backup read",     "boot loader wait",  "transfer",
                                             "power cycle",     "controller return", "restore",
                                             "version and mode"};
  std::printf("\n%zu KiB image under Wine: %s, round trip %.2f ms (from the transfer)\n",
              bytes / 1024, record.outcome == RunOutcome::kSucceeded ? "success" : "FAILED",
              roundTrip);
  std::printf("  %-18s %9s %9s %9s\n", "phase", "measured", "floor", "over");
  double sum = 0;
  for (size_t i = 0; i < kRunPhaseCount; ++i) {
    const uint32_t measured = record.phaseMs[i].value_or(0);
    sum += floors[i];
    std::printf("  %-18s %6u ms %6.0f ms %6.0f ms%s\n", names[i], measured, floors[i],
                measured - floors[i],
                measured > floors[i] + kPollStepMs ? "  beyond one polling step" : "");
  }
  std::printf("  %-18s %6u ms %6.0f ms %6.0f ms (%.1f%%)\n", "whole", record.totalMs, sum,
              record.totalMs - sum, 100.0 * (record.totalMs - sum) / sum);
}

bool RunOne(size_t bytes) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 4);
  ProductSession session(sim, bytes);
  if (!session.Start() ||
      !session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000)) {
    std::printf("the window did not come up\n");
    return false;
  }
  session.Click(IDC_UPDATE);
  HWND box = session.WaitForBox(120000);
  if (box == nullptr || !session.Dismiss(box)) {
    std::printf("no outcome box\n");
    return false;
  }
  RunRecord record;
  session.Close();
  if (!NewestRecord(&record)) {
    std::printf("no history\n");
    return false;
  }
  Print(bytes, record);
  return true;
}

}  // namespace

int main() {
  static WindowsClock clock;
  BindSimClock(&clock);
  UseOwnSimulatorId();
  const bool ok = RunOne(64 * 1024) && RunOne(256 * 1024);
  return ok ? 0 : 1;
}
