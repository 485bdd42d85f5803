// Host cost per data packet of the Linux controller link (CVexapadT<CHidrawDevice>) against
// the controller simulator behind the hidraw stand-in, beside a minimal write/poll/read loop
// over the same stand-in in the same run. Both send the same prebuilt-or-built data packets
// to the boot loader; the figures are this thread's CPU time and the wall time per packet,
// medians of a few rounds, and their ratio. Printed, never asserted.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "device/CommandReport.h"
#include "device/linux/ProductVexapad.h"
#include "platform/linux/MonotonicClock.h"
#include "sim/ControllerSimulator.h"
#include "sim/linux/host/StandInHost.h"

namespace {

constexpr size_t kPackets = 3000;
constexpr int kRounds = 5;

struct Cost {
  double cpuUs = 0;   // this thread's CPU time per packet
  double wallUs = 0;  // elapsed time per packet
};

double ThreadCpuUs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

double WallUs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

// A fresh boot-loader session: HOME held through a power cycle.
bool FreshBootLoader(ControllerSimulator& sim) {
  sim.SetPower(false);
  sim.SetPower(true);
  for (int i = 0; i < 2000 && !sim.IsPresent(SimDevice::BootLoader); ++i) {
    usleep(1000);
  }
  usleep(20000);  // the host publishes the node within a few milliseconds
  return sim.IsPresent(SimDevice::BootLoader);
}

// The link's whole transfer; the cost is taken between the first and the last progress call,
// so the wait for the boot loader and the end packet stay out.
Cost LinkRound(std::vector<uint8_t>& image) {
  MonotonicClock clock;
  CVexapad link(clock);
  double cpuFirst = 0, wallFirst = 0, cpuLast = 0, wallLast = 0;
  size_t calls = 0;
  link.Upgrade(
      image.data(), image.size(),
      [&](size_t, size_t) {
        (calls++ == 0 ? cpuFirst : cpuLast) = ThreadCpuUs();
        (calls == 1 ? wallFirst : wallLast) = WallUs();
      },
      2000);
  const double packets = static_cast<double>(calls > 1 ? calls - 1 : 1);
  return {(cpuLast - cpuFirst) / packets, (wallLast - wallFirst) / packets};
}

// The same packets written, polled for and read back with nothing around them.
Cost LoopRound(const std::vector<CommandReport>& packets) {
  int fd = open("/dev/hidraw3", O_RDWR | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    return {};
  }
  uint8_t wire[kWireReportSize] = {};
  uint8_t reply[4096];
  const double cpuStart = ThreadCpuUs();
  const double wallStart = WallUs();
  for (const CommandReport& packet : packets) {
    std::copy(packet.bytes.begin(), packet.bytes.end(), wire + 1);
    if (write(fd, wire, sizeof(wire)) != sizeof(wire)) {
      break;
    }
    pollfd entry{fd, POLLIN, 0};
    if (poll(&entry, 1, 10000) != 1 || read(fd, reply, sizeof(reply)) != kReportSize) {
      break;
    }
  }
  const Cost cost{(ThreadCpuUs() - cpuStart) / kPackets, (WallUs() - wallStart) / kPackets};
  close(fd);
  return cost;
}

Cost Median(std::vector<Cost> costs) {
  auto middle = [&](auto field) {
    std::sort(costs.begin(), costs.end(),
              [&](const Cost& a, const Cost& b) { return a.*field < b.*field; });
    return costs[costs.size() / 2].*field;
  };
  return {middle(&Cost::cpuUs), middle(&Cost::wallUs)};
}

}  // namespace

int main() {
  ControllerSimulator sim;
  sim.SetTranscriptEnabled(false);
  sim.SetPowerOnDelayMs(0);
  sim.SetHomeHeld(true);
  sim.ReserveImage(kPackets * kMaxPayload);
  StandInHost host(sim);
  if (!host.Start()) {
    std::fprintf(stderr, "the stand-in host could not start\n");
    return 1;
  }
  host.ExportRoot();

  std::vector<uint8_t> image(kPackets * kMaxPayload);
  for (size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<uint8_t>(i * 13 + 5);
  }
  std::vector<CommandReport> packets;
  for (size_t i = 0; i < kPackets; ++i) {
    packets.push_back(CommandReport::Request(CommandCode::DataPacket, static_cast<uint16_t>(i)));
    packets.back().SetPayload(image.data() + i * kMaxPayload, kMaxPayload);
  }

  std::vector<Cost> link, loop;
  for (int round = 0; round < kRounds; ++round) {
    if (!FreshBootLoader(sim)) {
      std::fprintf(stderr, "the boot loader did not come up\n");
      return 1;
    }
    loop.push_back(LoopRound(packets));
    FreshBootLoader(sim);
    link.push_back(LinkRound(image));
  }
  const Cost linkCost = Median(link);
  const Cost loopCost = Median(loop);
  std::printf("Per data packet, %zu packets, median of %d rounds:\n", kPackets, kRounds);
  std::printf("  %-34s %8.2f us CPU  %8.2f us wall\n", "controller link (CHidrawDevice)",
              linkCost.cpuUs, linkCost.wallUs);
  std::printf("  %-34s %8.2f us CPU  %8.2f us wall\n", "write/poll/read loop", loopCost.cpuUs,
              loopCost.wallUs);
  std::printf("  %-34s %8.2f x CPU   %8.2f x wall\n", "link / loop",
              linkCost.cpuUs / loopCost.cpuUs, linkCost.wallUs / loopCost.wallUs);
  return 0;
}
