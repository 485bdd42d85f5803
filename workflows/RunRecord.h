// One run of a sequence as the history of runs keeps it: what ran, on what, with what image
// and power, what went back, how it ended, and how long each phase took by the run's clock.
// Plain typed facts: each front end words them (and the history writes them as JSON).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Which sequence ran (decline is the user's answer, kept so that the history tells why a
// saved configuration never went back).
enum class RunKind { kUpgrade, kInitialize, kForcedUpgrade, kRestore, kDecline };

// The timed phases of a run, in their order in an update.
enum class RunPhase {
  kBackupRead,        // the configuration read from the controller
  kBootLoaderWait,    // from the restart command until the boot loader opened (Initialize:
                      // the scans after the power cycle)
  kTransfer,          // the data packets and the end packet
  kPowerCycle,        // power off, its pause, power on, its pause
  kControllerReturn,  // the wait until the controller opened again for the restore
  kRestore,           // the configuration written back
  kVersionAndMode,    // the version read, the save, the pause and the mode
};
inline constexpr size_t kRunPhaseCount = 7;

enum class RunOutcome { kSucceeded, kFailed, kCancelled };

// Where a run that did not succeed stopped: a check before anything was sent, or the phase
// that was under way.
enum class RunStep {
  kNone,
  kPowerSwitch,
  kBattery,
  kControllerKept,  // hidden by HidHide or held by another program
  kImage,
  kBackupSave,
  kPendingMark,  // the saved backup could not be marked pending: nothing was sent
  kPhase,        // the phase in `RunRecord::failedPhase`
};

// The firmware version and mode as the controller gave them.
struct FirmwareState {
  int version = 0;
  int mode = 0;
};

struct RunImage {
  std::string name;  // the file's name alone (UTF-8), never its folder
  uint64_t size = 0;
  std::string sha256;  // 64 lower-case hex digits
};

struct RunPower {
  std::optional<int> chargePercent;  // empty: no battery, or none that gives a charge
  bool externalPower = false;        // a charger or dock is online
};

struct RunRecord {
  int64_t utcMs = 0;     // when it started
  std::string frontEnd;  // "window" or "terminal"
  std::string version;   // Padwright's version
  RunKind kind = RunKind::kUpgrade;
  std::optional<FirmwareState> before;
  std::optional<FirmwareState> after;
  std::optional<RunImage> image;
  std::optional<RunPower> power;
  std::vector<std::string> writtenBack;  // the saved backups' file names; empty: none
  RunOutcome outcome = RunOutcome::kSucceeded;
  RunStep failedStep = RunStep::kNone;
  RunPhase failedPhase = RunPhase::kBackupRead;  // with failedStep kPhase
  uint32_t totalMs = 0;
  std::array<std::optional<uint32_t>, kRunPhaseCount> phaseMs;  // empty: the phase did not run
};
