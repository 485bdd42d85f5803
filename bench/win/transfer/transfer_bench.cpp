// How long a 256 KiB firmware transfer takes through the product's HID transport (real
// overlapped I/O on the simulated HID stack) when the controller answers each report one
// 1 ms USB frame later, against the wire's own limit of two frames per packet (request
// out, reply in). Also the same transfer with replies at once, which shows what the host
// side costs. Prints figures; asserts nothing.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "device/CommandReport.h"
#include "device/win/ProductVexapad.h"
#include "platform/win/WindowsClock.h"
#include "sim/SimClock.h"
#include "sim/ControllerSimulator.h"
#include "sim/win/host/SimHost.h"

namespace {

constexpr size_t kImageBytes = 256 * 1024;

struct Timing {
  bool ok = false;
  double totalMs = 0;  // the whole Upgrade, boot-loader wait included
  double dataMs = 0;   // first to last acknowledged data packet
  size_t callbacks = 0;
};

double NowMsPrecise() {
  LARGE_INTEGER counter;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

Timing RunTransfer(uint32_t replyLatencyMs, std::vector<unsigned char>& image) {
  ControllerSimulator sim;
  sim.SetTranscriptEnabled(false);
  sim.ReserveImage(image.size());
  sim.SetBootDelayMs(0);
  sim.SetReplyLatencyMs(replyLatencyMs);
  SimHost host;
  host.SetWatchPowerByte(false);
  host.AddController(sim);
  Timing timing;
  if (!host.Start()) {
    return timing;
  }
  double first = 0;
  double last = 0;
  auto progress = [&](size_t, size_t) {
    last = NowMsPrecise();
    if (timing.callbacks++ == 0) {
      first = last;
    }
  };
  WindowsClock clock;
  CVexapad vexapad{clock};
  const double start = NowMsPrecise();
  timing.ok = vexapad.Upgrade(image.data(), image.size(), progress, 10000) &&
              sim.ReceivedImage().size() == image.size();
  timing.totalMs = NowMsPrecise() - start;
  timing.dataMs = last - first;
  host.Stop();
  return timing;
}

void Print(const char* label, uint32_t latencyMs, const Timing& timing, size_t packets) {
  const double wireLimitMs = static_cast<double>(packets) * 2.0;
  // The callbacks span packets - 1 exchanges; scale to the whole image.
  const double perPacketMs = timing.callbacks > 1 ? timing.dataMs / (timing.callbacks - 1) : 0;
  printf(
      "%-26s reply latency %u ms: %s, %zu packets, upgrade %.0f ms, data %.0f ms, "
      "%.3f ms/packet, ratio to wire limit (%zu x 2 frames = %.0f ms): %.2f\n",
      label, latencyMs, timing.ok ? "ok" : "FAILED", timing.callbacks, timing.totalMs,
      timing.dataMs, perPacketMs, packets, wireLimitMs, perPacketMs * packets / wireLimitMs);
}

}  // namespace

int main() {
  static WindowsClock clock;
  BindSimClock(&clock);
  // Simulated devices of this run's own, apart from any test running meanwhile.
  std::wstring id = L"bench" + std::to_wstring(GetCurrentProcessId());
  SetEnvironmentVariableW(L"PADWRIGHT_SIM_ID", id.c_str());
  std::vector<unsigned char> image(kImageBytes);
  for (size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<unsigned char>(i * 7 + (i >> 9));
  }
  const size_t packets = (kImageBytes + kMaxPayload - 1) / kMaxPayload;
  printf("256 KiB firmware transfer through CHidDevice over the simulated HID stack\n");
  Print("1 ms USB frame per reply:", 1, RunTransfer(1, image), packets);
  Print("replies at once:", 0, RunTransfer(0, image), packets);
  return 0;
}
