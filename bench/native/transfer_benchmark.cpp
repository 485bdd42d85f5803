// Host cost of the firmware transfer per data packet against a zero-latency simulator in
// virtual time: time per packet and heap allocations per packet (counted by the binary's
// replaced operator new, AllocationCounter.cpp). Figures are printed, never asserted.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/native/AllocationCounter.h"
#include "tests/support/SimRig.h"

namespace {

// A simulator that answers at once and records nothing, with the boot loader present.
struct QuietRig : SimRig {
  explicit QuietRig(size_t imageSize) {
    sim.SetTranscriptEnabled(false);
    sim.SetPowerOnDelayMs(0);
    sim.SetHomeHeld(true);
    sim.ReserveImage(imageSize);
    PowerCycle();
  }
  // A fresh boot-loader session, so every transfer starts at packet 0.
  void PowerCycle() {
    sim.SetPower(false);
    sim.SetPower(true);
    sim.IsPresent(SimDevice::BootLoader);
  }
};

void SetPerPacketCounters(benchmark::State& state, uint64_t packets, uint64_t allocs) {
  const double total = static_cast<double>(packets) * static_cast<double>(state.iterations());
  state.counters["time_per_packet"] = benchmark::Counter(
      static_cast<double>(packets),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["allocs_per_packet"] = static_cast<double>(allocs) / total;
  state.SetItemsProcessed(static_cast<int64_t>(total));
}

// Whole transfers: find the boot loader, stream the image, send the end packet.
void BM_UpgradePerPacket(benchmark::State& state) {
  const size_t packets = static_cast<size_t>(state.range(0));
  std::vector<uint8_t> image(packets * kMaxPayload, 0x5A);
  QuietRig rig(image.size());
  size_t progressCalls = 0;
  uint64_t allocs = 0;
  for (auto _ : state) {
    state.PauseTiming();
    rig.PowerCycle();
    const uint64_t before = AllocationCount();
    state.ResumeTiming();
    bool ok = rig.pad.Upgrade(
        image.data(), image.size(), [&](size_t, size_t) { ++progressCalls; }, 10000);
    benchmark::DoNotOptimize(ok);
    allocs += AllocationCount() - before;
  }
  SetPerPacketCounters(state, packets, allocs);
}
BENCHMARK(BM_UpgradePerPacket)->Arg(1)->Arg(100)->Arg(4520);  // 4520 x 58 B ~ 256 KiB

// One data packet's exchange through the transport alone, without the link around it.
void BM_PacketExchange(benchmark::State& state) {
  QuietRig rig(1 << 20);
  SimTransport& boot = rig.pad.bootTransport;
  boot.OpenDevice(kBootLoaderVid, kBootLoaderPid, L"");
  uint8_t payload[kMaxPayload] = {};
  uint16_t index = 0;
  uint64_t packets = 0;
  const uint64_t before = AllocationCount();
  for (auto _ : state) {
    CommandReport packet = CommandReport::Request(CommandCode::DataPacket, index++);
    packet.SetPayload(payload, kMaxPayload);
    CommandReport reply;
    benchmark::DoNotOptimize(boot.WriteReport(packet.data(), kReportSize, kTransferTimeoutMs));
    benchmark::DoNotOptimize(boot.ReadReport(reply.data(), kReportSize, kTransferTimeoutMs));
    if (index == 0) {
      state.PauseTiming();  // keep the received image from growing without end
      rig.PowerCycle();
      boot.OpenDevice(kBootLoaderVid, kBootLoaderPid, L"");
      state.ResumeTiming();
    }
    ++packets;
  }
  SetPerPacketCounters(state, 1, AllocationCount() - before);
}
BENCHMARK(BM_PacketExchange);

// Baseline: building one packet (zeroing, header, payload copy, checksum) and nothing else.
void BM_BuildPacketBaseline(benchmark::State& state) {
  uint8_t payload[kMaxPayload] = {};
  uint16_t index = 0;
  for (auto _ : state) {
    CommandReport packet = CommandReport::Request(CommandCode::DataPacket, index++);
    packet.SetPayload(payload, kMaxPayload);
    benchmark::DoNotOptimize(packet);
  }
  SetPerPacketCounters(state, 1, 0);
}
BENCHMARK(BM_BuildPacketBaseline);

// The same transfer with the simulator's transcript on, to show what recording costs.
void BM_UpgradeWithTranscript(benchmark::State& state) {
  std::vector<uint8_t> image(4520 * kMaxPayload, 0x5A);
  QuietRig rig(image.size());
  rig.sim.SetTranscriptEnabled(true);
  uint64_t allocs = 0;
  for (auto _ : state) {
    state.PauseTiming();
    rig.PowerCycle();
    rig.sim.ClearTranscript();
    const uint64_t before = AllocationCount();
    state.ResumeTiming();
    benchmark::DoNotOptimize(rig.pad.Upgrade(image.data(), image.size(), nullptr, 10000));
    allocs += AllocationCount() - before;
  }
  SetPerPacketCounters(state, 4520, allocs);
}
BENCHMARK(BM_UpgradeWithTranscript);

}  // namespace
