// A whole update (Update: backup, the boot loader, the transfer, the power cycle, the restore,
// the version and the mode) against the controller simulator in virtual time, each phase as
// the run's history records it beside its floor: what the simulator and the fixed waits make
// unavoidable. Printed, never asserted. The simulator answers each request after
// `kRoundTripMs` (a USB HID exchange of one report each way) and each device scan costs the
// benchmark's second argument (Windows' scans list every HID device and take tens of ms).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <string>

#include "device/Vexapad.h"
#include "platform/BackupFolder.h"
#include "platform/Clock.h"
#include "sim/SimClock.h"
#include "platform/PhysicalMemory.h"
#include "sim/ControllerSimulator.h"
#include "sim/SimPhysicalMemory.h"
#include "sim/SimTransport.h"
#include "tests/support/UserController.h"
#include "workflows/RunRecorder.h"
#include "workflows/UpgradeSequence.h"

namespace {

constexpr uint32_t kRoundTripMs = 2;
constexpr uint32_t kBootDelayMs = 300;     // the simulator's default
constexpr uint32_t kPowerOnDelayMs = 500;  // the simulator's default
constexpr uint32_t kPollStepMs = 200;      // between two attempts to open a device
constexpr uint32_t kPowerCycleMs = 3000;   // power off 1 s, power on 2 s
constexpr uint32_t kModePauseMs = 1000;    // before the mode

class BenchClock final : public Clock {
 public:
  uint32_t NowMs() override { return now_.load(); }
  void SleepMs(uint32_t ms) override { now_.fetch_add(ms); }
  int64_t UtcMs() override { return 1772359200000 + now_.load(); }

 private:
  std::atomic<uint32_t> now_{0};
};

class MemoryFolder final : public BackupFolder {
 public:
  bool List(std::vector<std::string>* names) override {
    std::lock_guard<std::mutex> lock(mutex_);
    names->clear();
    for (const auto& [name, text] : files_) {
      names->push_back(name);
    }
    return true;
  }
  bool Read(const std::string& name, std::string* text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = files_.find(name);
    return found != files_.end() && (*text = found->second, true);
  }
  bool Write(const std::string& name, const std::string& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    files_[name] = text;
    return true;
  }
  bool Remove(const std::string& name) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return files_.erase(name) > 0;
  }

 private:
  std::mutex mutex_;
  std::map<std::string, std::string> files_;
};

class QuietView final : public SequenceView {
 public:
  void SequenceStarted(SequenceKind) override {}
  void SequenceEnded(SequenceKind) override {}
  void Notify(SequenceEvent) override {}
  void SetStatus(const std::wstring&) override {}
  void SetProgress(uint64_t, const std::wstring&) override {}
  void SetKeptStatus(const KeptController&) override {}
  void ShowOutcome(const SequenceOutcome&) override {}
  bool OfferRetry(const SequenceOutcome&) override { return false; }
  bool StopRequested() override { return false; }
  RunRecorder* Recorder() override { return &recorder; }

  explicit QuietView(const RunContext& context) : recorder(context, "benchmark", "-") {}
  RunRecorder recorder;
};

// A transport whose every scan costs `scanCostMs` of virtual time.
struct CostlyTransport : SimTransport {
  CostlyTransport(ControllerSimulator& sim, uint32_t scanCostMs) : SimTransport(sim) {
    SetScanCostMs(scanCostMs);
  }
};

using Floors = std::array<uint32_t, kRunPhaseCount>;

// The floor of each phase for an image of `bytes` and scans of `scanMs`: every exchange at
// the round trip, each open one scan, the simulator's re-enumeration, the fixed pauses, and
// one polling step for a device that appears while it is polled for.
Floors FloorsFor(size_t bytes, uint32_t scanMs) {
  const uint32_t packets = static_cast<uint32_t>((bytes + kMaxPayload - 1) / kMaxPayload);
  Floors floors{};
  floors[static_cast<size_t>(RunPhase::kBackupRead)] = 2 * scanMs + 34 * kRoundTripMs;
  floors[static_cast<size_t>(RunPhase::kBootLoaderWait)] =
      scanMs + kRoundTripMs + kBootDelayMs + kPollStepMs + scanMs;
  floors[static_cast<size_t>(RunPhase::kTransfer)] = (packets + 1) * kRoundTripMs;
  floors[static_cast<size_t>(RunPhase::kPowerCycle)] = kPowerCycleMs;
  floors[static_cast<size_t>(RunPhase::kControllerReturn)] =
      scanMs + (kPowerOnDelayMs > 2000 ? kPowerOnDelayMs - 2000 + kPollStepMs : 0);
  floors[static_cast<size_t>(RunPhase::kRestore)] = scanMs + 34 * kRoundTripMs;
  floors[static_cast<size_t>(RunPhase::kVersionAndMode)] =
      3 * scanMs + 3 * kRoundTripMs + kModePauseMs;
  return floors;
}

const char* const kPhaseNames[] = {"backup read",     "boot loader wait",  "transfer",
                                   "power cycle",     "controller return", "restore",
                                   "version and mode"};

void PrintRecord(size_t bytes, uint32_t scanMs, const RunRecord& record) {
  const Floors floors = FloorsFor(bytes, scanMs);
  std::printf("\n%zu KiB image, scans of %u ms, round trip %u ms: %s\n", bytes / 1024, scanMs,
              kRoundTripMs, record.outcome == RunOutcome::kSucceeded ? "success" : "FAILED");
  std::printf("  %-18s %9s %9s %9s\n", "phase", "measured", "floor", "over");
  uint32_t floorSum = 0;
  for (size_t i = 0; i < kRunPhaseCount; ++i) {
    const uint32_t ms = record.phaseMs[i].value_or(0);
    floorSum += floors[i];
    std::printf("  %-18s %6u ms %6u ms %6d ms%s\n", kPhaseNames[i], ms, floors[i],
                static_cast<int>(ms) - static_cast<int>(floors[i]),
                ms > floors[i] + kPollStepMs ? "  beyond one polling step" : "");
  }
  std::printf("  %-18s %6u ms %6u ms %6d ms (%.1f%%)\n", "whole", record.totalMs, floorSum,
              static_cast<int>(record.totalMs) - static_cast<int>(floorSum),
              100.0 * (static_cast<double>(record.totalMs) - floorSum) / floorSum);
}

void BM_UpdateAgainstFloor(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(state.range(0));
  const auto scanMs = static_cast<uint32_t>(state.range(1));
  char path[] = "/tmp/padwright-bench-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) {
    state.SkipWithError("no temporary file");
    return;
  }
  close(fd);
  std::ofstream(path, std::ios::binary) << std::string(bytes, '\x5A');
  RunRecord last;
  for (auto _ : state) {
    BenchClock clock;
    BindSimClock(&clock);
    MemoryFolder folder;
    ControllerSimulator sim;
    SetUpUserController(sim, 3, 4);
    sim.SetReplyLatencyMs(kRoundTripMs);
    sim.SetTranscriptEnabled(false);
    sim.ReserveImage(bytes);
    SimPhysicalMemory memory(sim);
    const RunContext context{.clock = clock, .memory = &memory, .backups = &folder};
    CVexapadT<CostlyTransport> link(clock, sim, scanMs);
    QuietView view(context);
    RunState run;
    benchmark::DoNotOptimize(
        UpgradeSequence(link, context, view, run, std::filesystem::path(path)));
    last = view.recorder.Last();
    BindSimClock(nullptr);
  }
  unlink(path);
  PrintRecord(bytes, scanMs, last);
  state.counters["virtual_ms"] = last.totalMs;
  state.counters["boot_loader_wait_ms"] =
      last.phaseMs[static_cast<size_t>(RunPhase::kBootLoaderWait)].value_or(0);
}
BENCHMARK(BM_UpdateAgainstFloor)
    ->Args({64 * 1024, 0})
    ->Args({256 * 1024, 0})
    ->Args({64 * 1024, 50})
    ->Args({256 * 1024, 50})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
