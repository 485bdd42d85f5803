// Randomised checks of the controller link: every command and the firmware transfer over a
// transport whose every operation may fail at random and whose replies are random bytes.
// Whatever happens, a command ends (its waits bounded by its time-outs), leaves both
// devices closed and the link unlocked, writes nothing outside the caller's buffer, reports
// success exactly when each of its exchanges went through, and the transfer sends no data
// packet after one that failed. Run under ASan and UBSan by the native-asan preset.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "device/Vexapad.h"
#include "tests/support/VirtualClock.h"
#include "tests/unit/fuzz/ChaosTransport.h"
#include "tests/unit/fuzz/PropertyRun.h"

namespace {

using Kind = ChaosEvent::Kind;
constexpr int kMain = 0;  // transports in the order the link constructs them
constexpr int kBoot = 1;

struct ChaosRig {
  explicit ChaosRig(uint32_t seed) : chaos(seed) {
    chaos.openPercent = 20 + chaos.Below(81);
    chaos.writePercent = 60 + chaos.Below(41);
    chaos.readPercent = 60 + chaos.Below(41);
    chaos.timeoutPercent = chaos.Below(101);
  }
  ScopedVirtualClock clock;
  Chaos chaos;
  CVexapadT<ChaosTransport> pad{*clock, chaos};
};

// Reads the events of one operation in order.
class EventCursor {
 public:
  EventCursor(const std::vector<ChaosEvent>& events, size_t from) : events_(events), at_(from) {}
  bool Next(Kind kind, int transport, const ChaosEvent** event) {
    if (at_ < events_.size() && events_[at_].kind == kind && events_[at_].transport == transport) {
      *event = &events_[at_++];
      return true;
    }
    return false;
  }
  bool AtEnd() const { return at_ == events_.size(); }
  size_t Position() const { return at_; }

 private:
  const std::vector<ChaosEvent>& events_;
  size_t at_;
};

void ExpectRequest(const CommandReport& report, CommandCode code, uint16_t argument,
                   const uint8_t* payload, size_t length) {
  CommandReport expected = CommandReport::Request(code, argument);
  expected.SetPayload(payload, static_cast<uint8_t>(length));
  EXPECT_EQ(report.bytes, expected.bytes) << "command " << static_cast<int>(code);
}

// Open attempts on `transport` until one succeeds; how many failed ones the time-out allows.
bool ReadOpens(EventCursor& cursor, int transport, int64_t timeoutMs, unsigned* failed) {
  const ChaosEvent* event = nullptr;
  *failed = 0;
  while (cursor.Next(Kind::kOpen, transport, &event)) {
    if (event->ok) {
      return true;
    }
    ++*failed;
  }
  const int64_t allowed = timeoutMs <= 0 ? 0 : timeoutMs / kOpenRetryPauseMs + 1;
  EXPECT_LE(*failed, allowed) << "open attempts beyond the time-out";
  return false;
}

// One request and its reply; true when both went through.
bool ReadExchange(EventCursor& cursor, int transport, const ChaosEvent** write,
                  const ChaosEvent** read) {
  static const ChaosEvent kMissing;
  *read = nullptr;
  if (!cursor.Next(Kind::kWrite, transport, write)) {
    ADD_FAILURE() << "no request where one was due";
    *write = &kMissing;
    return false;
  }
  if (!(*write)->ok) {
    return false;
  }
  EXPECT_TRUE(cursor.Next(Kind::kRead, transport, read)) << "no read after a request";
  return *read != nullptr && (*read)->ok;
}

void ExpectClose(EventCursor& cursor, int transport, bool wasOpen) {
  const ChaosEvent* event = nullptr;
  EXPECT_EQ(cursor.Next(Kind::kClose, transport, &event), wasOpen);
}

void ExpectIdle(ChaosRig& rig) {
  EXPECT_FALSE(rig.pad.mainTransport.IsOpen());
  EXPECT_FALSE(rig.pad.bootTransport.IsOpen());
  ASSERT_TRUE(rig.pad.deviceMutex.try_lock()) << "the link stayed locked";
  rig.pad.deviceMutex.unlock();
  for (const ChaosEvent& event : rig.chaos.events) {
    EXPECT_FALSE(event.whileClosed) << "a transfer on a closed device";
  }
}

// A heap buffer of exactly `size` bytes (ASan sees any byte past it), filled with a pattern.
std::unique_ptr<uint8_t[]> Buffer(size_t size, uint8_t seed) {
  auto buffer = std::make_unique<uint8_t[]>(size == 0 ? 1 : size);
  for (size_t i = 0; i < size; ++i) {
    buffer[i] = static_cast<uint8_t>(seed + i * 3);
  }
  return buffer;
}

bool RunCommand(ChaosRig& rig, CommandCode code, uint8_t* data, uint8_t len, uint16_t mode,
                uint32_t timeoutMs) {
  switch (code) {
    case CommandCode::ReadGlobalConfig:
      return rig.pad.ReadGlobalConfig(data, len, timeoutMs);
    case CommandCode::WriteGlobalConfig:
      return rig.pad.WriteGlobalConfig(data, len, timeoutMs);
    case CommandCode::SetMode:
      return rig.pad.SetMode(mode, timeoutMs);
    default:
      return rig.pad.SaveConfig(timeoutMs);
  }
}

// One of the single-report commands, with a random block length (some too long for one
// report) and mode.
void CheckSingleCommand(ChaosRig& rig, uint32_t timeoutMs) {
  Chaos& chaos = rig.chaos;
  const size_t from = chaos.events.size();
  const int which = static_cast<int>(chaos.Below(4));
  const uint8_t len = static_cast<uint8_t>(chaos.Below(70));
  auto data = Buffer(len, chaos.Byte());
  auto before = Buffer(len, 0);
  for (size_t i = 0; i < len; ++i) {
    before[i] = data[i];
  }
  const uint16_t mode = static_cast<uint16_t>(chaos.Below(65536));
  static const CommandCode kCodes[] = {CommandCode::SaveConfig, CommandCode::ReadGlobalConfig,
                                       CommandCode::WriteGlobalConfig, CommandCode::SetMode};
  const CommandCode code = kCodes[which];
  const bool result = RunCommand(rig, code, data.get(), len, mode, timeoutMs);
  EventCursor cursor(chaos.events, from);
  if ((which == 1 || which == 2) && len > kMaxPayload) {
    EXPECT_FALSE(result);
    EXPECT_TRUE(cursor.AtEnd()) << "a block too long for one report reached the device";
    return;
  }
  unsigned failed = 0;
  const bool opened = ReadOpens(cursor, kMain, timeoutMs, &failed);
  bool expected = false;
  const ChaosEvent* write = nullptr;
  const ChaosEvent* read = nullptr;
  if (opened) {
    expected = ReadExchange(cursor, kMain, &write, &read);
    const uint8_t* payload = which == 2 ? before.get() : nullptr;
    ExpectRequest(write->report, code, which == 3 ? mode : 0, payload, which == 2 ? len : 0);
  }
  ExpectClose(cursor, kMain, opened);
  EXPECT_TRUE(cursor.AtEnd());
  EXPECT_EQ(result, expected);
  for (size_t i = 0; which == 1 && i < len; ++i) {
    // Filled from reply byte 6 on success; untouched otherwise.
    EXPECT_EQ(data[i], expected ? read->report.Payload()[i] : before[i]) << "byte " << i;
  }
}

void CheckButtonTable(ChaosRig& rig, uint32_t timeoutMs, bool write) {
  Chaos& chaos = rig.chaos;
  const size_t from = chaos.events.size();
  auto table = Buffer(kButtonConfigSize, chaos.Byte());
  auto before = Buffer(kButtonConfigSize, 0);
  for (size_t i = 0; i < kButtonConfigSize; ++i) {
    before[i] = table[i];
  }
  const bool result = write ? rig.pad.WriteButtonConfig(table.get(), timeoutMs)
                            : rig.pad.ReadButtonConfig(table.get(), timeoutMs);
  EventCursor cursor(chaos.events, from);
  unsigned failed = 0;
  const bool opened = ReadOpens(cursor, kMain, timeoutMs, &failed);
  size_t done = 0;
  bool stopped = !opened;
  while (!stopped && done < kButtonBlockCount) {
    const ChaosEvent* request = nullptr;
    const ChaosEvent* reply = nullptr;
    const bool ok = ReadExchange(cursor, kMain, &request, &reply);
    const uint8_t* block = before.get() + done * kButtonBlockSize;
    ExpectRequest(
        request->report, write ? CommandCode::WriteButtonBlock : CommandCode::ReadButtonBlock,
        static_cast<uint16_t>(done), write ? block : nullptr, write ? kButtonBlockSize : 0);
    for (size_t i = 0; !write && ok && i < kButtonBlockSize; ++i) {
      before[done * kButtonBlockSize + i] = reply->report.Payload()[i];  // what must be stored
    }
    stopped = !ok;
    done += ok ? 1 : 0;
  }
  if (opened) {
    ExpectClose(cursor, kMain, true);
  }
  EXPECT_TRUE(cursor.AtEnd()) << "requests after a failed block";
  EXPECT_EQ(result, done == kButtonBlockCount);
  for (size_t i = 0; i < kButtonConfigSize; ++i) {
    ASSERT_EQ(table[i], before[i]) << "byte " << i << " after " << done << " blocks";
  }
}

// The one try at the normal-mode controller; its answer does not matter.
void ExpectEnterAttempt(EventCursor& cursor) {
  const ChaosEvent* event = nullptr;
  ASSERT_TRUE(cursor.Next(Kind::kOpen, kMain, &event));
  if (event->ok) {
    const ChaosEvent* write = nullptr;
    const ChaosEvent* read = nullptr;
    ReadExchange(cursor, kMain, &write, &read);
    ExpectRequest(write->report, CommandCode::EnterBootLoader, 0, nullptr, 0);
    ExpectClose(cursor, kMain, true);
  }
}

// Data packets in order until the first that fails, then only the end packet. Returns
// whether the transfer had to succeed; `acked` counts the acknowledged data packets.
bool ReadTransfer(EventCursor& cursor, const std::vector<unsigned char>& image, size_t* acked) {
  size_t done = 0;
  bool stopped = false;
  *acked = 0;
  while (!stopped && done < image.size()) {
    const size_t n = std::min<size_t>(image.size() - done, kMaxPayload);
    const ChaosEvent* write = nullptr;
    const ChaosEvent* read = nullptr;
    stopped = !ReadExchange(cursor, kBoot, &write, &read);
    ExpectRequest(write->report, CommandCode::DataPacket, static_cast<uint16_t>(*acked),
                  image.data() + done, n);
    if (!stopped) {
      done += n;
      ++*acked;
    }
  }
  const ChaosEvent* write = nullptr;
  const ChaosEvent* read = nullptr;
  const bool ended = ReadExchange(cursor, kBoot, &write, &read);
  ExpectRequest(write->report, CommandCode::EndTransfer, 0, nullptr, 0);
  ExpectClose(cursor, kBoot, true);
  return ended && done == image.size();
}

// The transfer: enter request, wait for the boot loader, data packets, end packet.
void CheckUpgrade(ChaosRig& rig) {
  Chaos& chaos = rig.chaos;
  const size_t size = chaos.Chance(5) ? 0 : 1 + chaos.Below(chaos.Chance(20) ? 4000 : 300);
  const int timeoutMs = static_cast<int>(chaos.Below(1600)) - 50;
  std::vector<unsigned char> image(size);
  for (unsigned char& byte : image) {
    byte = chaos.Byte();
  }
  std::vector<std::pair<size_t, size_t>> progress;
  CVexapadT<ChaosTransport>::ProgressCallback callback;
  if (chaos.Chance(80)) {
    callback = [&progress](size_t done, size_t total) { progress.emplace_back(done, total); };
  }
  const size_t from = chaos.events.size();
  const bool result = rig.pad.Upgrade(image.data(), size, callback, timeoutMs);
  EventCursor cursor(chaos.events, from);
  if (size == 0) {
    EXPECT_FALSE(result);
    EXPECT_TRUE(cursor.AtEnd()) << "an empty image reached the device";
    return;
  }
  ExpectEnterAttempt(cursor);
  unsigned failed = 0;
  size_t acked = 0;
  const bool expected =
      ReadOpens(cursor, kBoot, timeoutMs, &failed) && ReadTransfer(cursor, image, &acked);
  EXPECT_TRUE(cursor.AtEnd()) << "requests after the end of the transfer";
  EXPECT_EQ(result, expected) << "true only when every packet was acknowledged";
  if (callback) {
    ASSERT_EQ(progress.size(), acked);
    size_t sum = 0;
    for (size_t i = 0; i < progress.size(); ++i) {
      sum += std::min<size_t>(size - sum, kMaxPayload);
      EXPECT_EQ(progress[i], std::make_pair(sum, size));
    }
  }
}

}  // namespace

TEST(ProtocolProperty, AnyDeviceBehaviourEndsEveryCommandCorrectlyAndInBounds) {
  property::ForEachSeed(300, [](uint32_t seed) {
    ChaosRig rig(seed);
    for (int op = 0; op < 6; ++op) {
      const uint32_t before = rig.clock->NowMs();
      const uint64_t chargedBefore = rig.chaos.chargedMs;
      const size_t eventsBefore = rig.chaos.events.size();
      const uint32_t timeoutMs = rig.chaos.Chance(10) ? 0 : rig.chaos.Below(1200);
      switch (rig.chaos.Below(4)) {
        case 0:
          CheckSingleCommand(rig, timeoutMs);
          break;
        case 1:
          CheckButtonTable(rig, timeoutMs, false);
          break;
        case 2:
          CheckButtonTable(rig, timeoutMs, true);
          break;
        default:
          CheckUpgrade(rig);
          break;
      }
      ExpectIdle(rig);
      // No wait of its own beyond one 200 ms pause (220 ms in 20 ms steps) per open attempt.
      size_t opens = 0;
      for (size_t e = eventsBefore; e < rig.chaos.events.size(); ++e) {
        opens += rig.chaos.events[e].kind == Kind::kOpen ? 1 : 0;
      }
      EXPECT_LE(rig.clock->NowMs() - before, rig.chaos.chargedMs - chargedBefore + 220 * opens);
      if (testing::Test::HasFailure()) {
        return;  // the first failing operation says it all
      }
    }
  });
}
