// A transport for randomised checks: every open, write, read and presence scan succeeds or
// fails at random (by the odds of a shared Chaos), replies carry random bytes, and time
// passes on the simulators' clock as a real device would make it pass (a failed transfer may
// take its whole time-out). Everything that crosses it is logged for the checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "device/CommandReport.h"

struct ChaosEvent {
  enum class Kind { kOpen, kClose, kWrite, kRead, kScan };
  Kind kind = Kind::kOpen;
  int transport = 0;  // which transport object (in order of construction)
  bool boot = false;  // open/scan: asked for the boot loader; write/read: it is open
  bool ok = false;
  bool whileClosed = false;  // a transfer tried on a closed transport
  CommandReport report;      // write: the request; read: the reply handed out
};

class Chaos {
 public:
  explicit Chaos(uint32_t seed) : random_(seed) {}
  // Decisions taken from `script` (a fuzzer's input) while it lasts, then from seed 0.
  Chaos(const uint8_t* script, size_t size) : random_(0), script_(script, script + size) {}

  // Percent chances of success, set per run.
  unsigned openPercent = 70;
  unsigned writePercent = 95;
  unsigned readPercent = 95;
  unsigned presentPercent = 30;
  // Percent of failed transfers that take their whole time-out (the rest fail at once).
  unsigned timeoutPercent = 50;

  bool Chance(unsigned percent) { return Below(100) < percent; }
  uint32_t Below(uint32_t n) { return n == 0 ? 0 : Next(n <= 256 ? 1 : 4) % n; }
  uint8_t Byte() { return static_cast<uint8_t>(Next(1)); }
  int NewTransportId() { return transports_++; }

  std::vector<ChaosEvent> events;
  // Virtual time that the transports made pass, all in all.
  uint64_t chargedMs = 0;

 private:
  // The next `bytes` script bytes as a number, or a random one once the script is used up.
  uint32_t Next(size_t bytes) {
    if (at_ >= script_.size()) {
      return random_();
    }
    uint32_t value = 0;
    for (size_t i = 0; i < bytes && at_ < script_.size(); ++i) {
      value = (value << 8) | script_[at_++];
    }
    return value;
  }

  std::mt19937 random_;
  std::vector<uint8_t> script_;
  size_t at_ = 0;
  int transports_ = 0;
};

class ChaosTransport {
 public:
  explicit ChaosTransport(Chaos& chaos) : chaos_(chaos), id_(chaos.NewTransportId()) {}
  ChaosTransport(const ChaosTransport&) = delete;
  ChaosTransport& operator=(const ChaosTransport&) = delete;
  ChaosTransport(ChaosTransport&& other) noexcept : chaos_(other.chaos_), id_(other.id_) {}

  bool OpenDevice(uint16_t vid, uint16_t pid, const wchar_t* pathFilter);
  bool IsOpen() const { return open_; }
  void CloseDevice();
  bool ReadReport(uint8_t* dst, uint16_t len, uint32_t timeoutMs);
  bool WriteReport(const uint8_t* src, uint16_t len, uint32_t timeoutMs);
  bool IsPresent(uint16_t vid, uint16_t pid);

 private:
  ChaosEvent Event(ChaosEvent::Kind kind, bool boot, bool ok) const;
  // Lets `ms` pass on the simulators' clock and counts it.
  void Spend(uint32_t ms);
  // How long a failed transfer with this time-out takes.
  uint32_t FailureMs(uint32_t timeoutMs);

  Chaos& chaos_;
  int id_;
  bool open_ = false;
  bool boot_ = false;
};
