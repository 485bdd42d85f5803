// The simulator's native transport: opens, transfers and scans in virtual time.
#include "sim/SimTransport.h"

#include <cstring>
#include <cwchar>

#include "sim/SimClock.h"

const wchar_t* SimTransport::DevicePath(SimDevice device) {
  return device == SimDevice::Controller ? L"\\\\?\\hid#vid_1c4f&pid_0002#sim#{controller}"
                                         : L"\\\\?\\hid#vid_0483&pid_5750#sim#{bootloader}";
}

void SimTransport::Scan() {
  ++scans_;
  if (scanCostMs_ > 0) {
    SimSleepMs(scanCostMs_);
  }
}

bool SimTransport::OpenDevice(uint16_t vid, uint16_t pid, const wchar_t* pathFilter) {
  CloseDevice();
  Scan();
  SimDevice device;
  if (!ControllerSimulator::DeviceFor(vid, pid, &device)) {
    return false;
  }
  if (pathFilter != nullptr && std::wcsstr(DevicePath(device), pathFilter) == nullptr) {
    return false;
  }
  connection_ = sim_.Connect(vid, pid);
  return connection_ != 0;
}

void SimTransport::CloseDevice() {
  if (connection_ != 0) {
    sim_.Disconnect(connection_);
    connection_ = 0;
  }
}

bool SimTransport::IsPresent(uint16_t vid, uint16_t pid) {
  Scan();
  return sim_.IsPresent(vid, pid);
}

bool SimTransport::WriteReport(const uint8_t* src, uint16_t len, uint32_t timeoutMs) {
  SimDevice device;
  if (connection_ == 0 || !sim_.ConnectionDevice(connection_, &device) ||
      sim_.ReportLength(device) != len + 1 || len + 1 > kWireReportSize) {
    return false;
  }
  uint8_t wire[kWireReportSize] = {};  // report id 0 first
  std::memcpy(wire + 1, src, len);
  return sim_.HostWrite(connection_, wire, len + 1u);
}

bool SimTransport::ReadReport(uint8_t* dst, uint16_t len, uint32_t timeoutMs) {
  SimDevice device;
  if (connection_ == 0 || !sim_.ConnectionDevice(connection_, &device) ||
      sim_.ReportLength(device) != len + 1 || len + 1 > kWireReportSize) {
    return false;
  }
  uint32_t dueMs = 0;
  const ReplyStatus status = sim_.PeekReply(connection_, &dueMs);
  if (status == ReplyStatus::Gone) {
    return false;  // the device is gone: the read fails at once
  }
  const uint32_t now = SimNowMs();
  const uint32_t wait = static_cast<int32_t>(dueMs - now) > 0 ? dueMs - now : 0;
  if (status == ReplyStatus::None || wait > timeoutMs) {
    SimSleepMs(timeoutMs);  // the whole time-out passes; a late reply stays queued
    return false;
  }
  if (wait > 0) {
    SimSleepMs(wait);
  }
  SimReply reply;
  if (!sim_.TakeReply(connection_, &reply) || reply.count != len + 1) {
    return false;  // a reply of another size than the report is a failed read
  }
  std::memcpy(dst, reply.wire.data() + 1, len);
  return true;
}
