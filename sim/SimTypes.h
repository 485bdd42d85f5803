// Vocabulary of the controller simulator: its two devices, the steps at which faults can be
// injected, the faults, transcript entries, replies and the violations it records.
#pragma once

#include <array>
#include <cstdint>

#include "device/CommandReport.h"

// The two USB identities of the simulated controller.
enum class SimDevice : uint8_t {
  Controller,  // normal mode, 0x1C4F / 0x0002
  BootLoader,  // 0x0483 / 0x5750
};

// Where a fault can be injected. Each kind of request is counted from 0 (see Inject).
enum class Step : uint8_t {
  Enter,        // command 0x01 to the normal-mode controller
  DataPacket,   // command 0x02; counted within the current boot-loader session
  EndPacket,    // command 0x03
  Save,         // command 0x05
  ButtonRead,   // command 0x06
  ButtonWrite,  // command 0x07
  GlobalRead,   // command 0x08
  GlobalWrite,  // command 0x09
  SetMode,      // command 0x0A
};
inline constexpr int kStepCount = 9;

enum class Fault : uint8_t {
  NoReply,            // the request is taken but never answered
  LateReply,          // the reply comes `value` ms later than usual
  ShortReply,         // the reply carries `value` bytes (default 32) instead of 65
  WrongReportLength,  // from this request on the device's caps report `value` (default 64)
  DeviceGone,         // the device disappears as this request arrives; the write fails
  NoBootLoader,       // (Enter only) the controller leaves normal mode; no boot loader comes
};

enum class Direction : uint8_t { HostToDevice, DeviceToHost };

// One report as it crossed the wire: report id byte then the 64 report bytes (`count` is
// less than 65 for a short reply).
struct TranscriptEntry {
  uint32_t timeMs = 0;
  SimDevice device = SimDevice::Controller;
  Direction direction = Direction::HostToDevice;
  uint32_t connection = 0;
  uint8_t count = 0;
  std::array<uint8_t, kWireReportSize> wire{};

  // The 64 report bytes without the id byte (zeros past a short count).
  CommandReport Report() const {
    CommandReport report;
    for (int i = 1; i < count && i < kWireReportSize; ++i) {
      report.bytes[i - 1] = wire[i];
    }
    return report;
  }
};

// A reply queued for the host: available from `dueMs` on the simulators' clock.
struct SimReply {
  uint32_t dueMs = 0;
  uint8_t count = kWireReportSize;  // bytes delivered, report id included
  std::array<uint8_t, kWireReportSize> wire{};
};

enum class ReplyStatus : uint8_t {
  None,     // nothing queued: no reply will come unless the host writes again
  Pending,  // a reply is queued; it may be taken once its dueMs has come
  Gone,     // the connection's device has disappeared
};

enum class ViolationKind : uint8_t {
  BadChecksum,     // bytes 0-1 do not match the sum of the payload
  BadLength,       // payload length outside what the command allows
  BadIndex,        // data packet index not the next one expected
  BadArgument,     // e.g. a button block index above 32
  UnknownCommand,  // a code this device does not take
  AfterEnd,        // a data packet after the end packet
  BadReportId,     // the first wire byte was not report id 0
};

struct Violation {
  ViolationKind kind = ViolationKind::BadChecksum;
  SimDevice device = SimDevice::Controller;
  uint8_t command = 0;
  uint32_t detail = 0;  // packet number, block index, length or code, by kind
};
