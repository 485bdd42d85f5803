// The random transport of the property checks.
#include "tests/unit/fuzz/ChaosTransport.h"

#include "sim/SimClock.h"

ChaosEvent ChaosTransport::Event(ChaosEvent::Kind kind, bool boot, bool ok) const {
  ChaosEvent event;
  event.kind = kind;
  event.transport = id_;
  event.boot = boot;
  event.ok = ok;
  return event;
}

void ChaosTransport::Spend(uint32_t ms) {
  if (ms > 0) {
    SimSleepMs(ms);
    chaos_.chargedMs += ms;
  }
}

uint32_t ChaosTransport::FailureMs(uint32_t timeoutMs) {
  return chaos_.Chance(chaos_.timeoutPercent) ? timeoutMs : 0;
}

bool ChaosTransport::OpenDevice(uint16_t vid, uint16_t pid, const wchar_t* pathFilter) {
  CloseDevice();
  Spend(chaos_.Below(30));  // a scan of the present devices
  const bool boot = vid == kBootLoaderVid && pid == kBootLoaderPid;
  open_ = chaos_.Chance(chaos_.openPercent);
  boot_ = boot;
  chaos_.events.push_back(Event(ChaosEvent::Kind::kOpen, boot, open_));
  return open_;
}

void ChaosTransport::CloseDevice() {
  if (open_) {
    chaos_.events.push_back(Event(ChaosEvent::Kind::kClose, boot_, true));
  }
  open_ = false;
}

bool ChaosTransport::WriteReport(const uint8_t* src, uint16_t len, uint32_t timeoutMs) {
  ChaosEvent event = Event(ChaosEvent::Kind::kWrite, boot_, false);
  event.whileClosed = !open_;
  for (uint16_t i = 0; i < len && i < kReportSize; ++i) {
    event.report.bytes[i] = src[i];
  }
  if (open_ && len == kReportSize && chaos_.Chance(chaos_.writePercent)) {
    event.ok = true;
    Spend(chaos_.Below(4));
  } else if (open_) {
    Spend(FailureMs(timeoutMs));
  }
  chaos_.events.push_back(event);
  return event.ok;
}

bool ChaosTransport::ReadReport(uint8_t* dst, uint16_t len, uint32_t timeoutMs) {
  ChaosEvent event = Event(ChaosEvent::Kind::kRead, boot_, false);
  event.whileClosed = !open_;
  if (open_ && len == kReportSize && chaos_.Chance(chaos_.readPercent)) {
    event.ok = true;
    for (uint8_t& byte : event.report.bytes) {
      byte = chaos_.Byte();
    }
    // Every byte of the caller's buffer is written, so a buffer too small shows at once.
    for (uint16_t i = 0; i < len; ++i) {
      dst[i] = event.report.bytes[i];
    }
    Spend(chaos_.Below(timeoutMs < 50 ? timeoutMs + 1 : 50));
  } else if (open_) {
    Spend(FailureMs(timeoutMs));
  }
  chaos_.events.push_back(event);
  return event.ok;
}

bool ChaosTransport::IsPresent(uint16_t vid, uint16_t pid) {
  Spend(chaos_.Below(30));
  const bool boot = vid == kBootLoaderVid && pid == kBootLoaderPid;
  const bool present = chaos_.Chance(chaos_.presentPercent);
  chaos_.events.push_back(Event(ChaosEvent::Kind::kScan, boot, present));
  return present;
}
