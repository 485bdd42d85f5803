// A libFuzzer target for the controller link (not part of the test command): the input
// scripts every open, write, read and reply byte of the transport, and the operations run
// on it. Beyond what the sanitizers catch, every operation must end with both devices
// closed and the link unlocked, touch no transport that is closed, and leave the caller's
// buffer as it was when it fails. Build and run with tests/fuzz/run-fuzzer.sh.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "device/Vexapad.h"
#include "tests/support/VirtualClock.h"
#include "tests/unit/fuzz/ChaosTransport.h"

namespace {

void Require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

void RunOne(Chaos& chaos, CVexapadT<ChaosTransport>& pad) {
  const uint32_t timeoutMs = chaos.Below(1500);
  const uint8_t len = static_cast<uint8_t>(chaos.Below(70));
  std::vector<uint8_t> buffer(chaos.Chance(50) ? len : kButtonConfigSize);
  for (uint8_t& byte : buffer) {
    byte = chaos.Byte();
  }
  const std::vector<uint8_t> before = buffer;
  bool ok = false;
  switch (chaos.Below(6)) {
    case 0:
      ok = pad.ReadGlobalConfig(buffer.data(),
                                static_cast<uint8_t>(buffer.size() < len ? buffer.size() : len),
                                timeoutMs);
      break;
    case 1:
      ok = pad.WriteGlobalConfig(buffer.data(),
                                 static_cast<uint8_t>(buffer.size() < len ? buffer.size() : len),
                                 timeoutMs);
      break;
    case 2:
      ok = buffer.size() == kButtonConfigSize && pad.ReadButtonConfig(buffer.data(), timeoutMs);
      break;
    case 3:
      ok = buffer.size() == kButtonConfigSize && pad.WriteButtonConfig(buffer.data(), timeoutMs);
      break;
    case 4:
      ok = pad.SetMode(static_cast<uint16_t>(chaos.Below(65536)), timeoutMs) &&
           pad.SaveConfig(timeoutMs);
      break;
    default:
      ok = pad.Upgrade(
          buffer.data(), buffer.size(), [](size_t done, size_t total) { Require(done <= total); },
          static_cast<int>(timeoutMs) - 100);
      break;
  }
  Require(!pad.mainTransport.IsOpen() && !pad.bootTransport.IsOpen());
  Require(pad.deviceMutex.try_lock());
  pad.deviceMutex.unlock();
  if (!ok && buffer.size() != kButtonConfigSize) {
    Require(buffer == before);  // a failed read leaves the block as it was
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScopedVirtualClock clock;
  Chaos chaos(data, size);
  CVexapadT<ChaosTransport> pad(*clock, chaos);
  for (int i = 0; i < 4; ++i) {
    RunOne(chaos, pad);
  }
  for (const ChaosEvent& event : chaos.events) {
    Require(!event.whileClosed);
  }
  return 0;
}
