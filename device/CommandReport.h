// The 64-byte report that carries every controller request and reply, with the protocol's
// fixed identities, sizes, time-outs and command codes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

// Device identities: the controller in normal mode and its boot loader.
inline constexpr uint16_t kControllerVid = 0x1C4F;
inline constexpr uint16_t kControllerPid = 0x0002;
inline constexpr uint16_t kBootLoaderVid = 0x0483;
inline constexpr uint16_t kBootLoaderPid = 0x5750;

// One request or reply; on the wire a report id byte 0 goes in front of it.
inline constexpr uint16_t kReportSize = 64;
inline constexpr uint16_t kWireReportSize = kReportSize + 1;
inline constexpr uint8_t kHeaderSize = 6;
inline constexpr uint8_t kMaxPayload = kReportSize - kHeaderSize;  // 58

// Every single report write and read is bounded by this.
inline constexpr uint32_t kTransferTimeoutMs = 10000;
// Pause between two attempts to open a device, and the step of every pause.
inline constexpr int kOpenRetryPauseMs = 200;
inline constexpr int kPauseStepMs = 20;

enum class CommandCode : uint8_t {
  EnterBootLoader = 0x01,  // to the normal-mode controller
  DataPacket = 0x02,       // to the boot loader: up to 58 image bytes
  EndTransfer = 0x03,      // to the boot loader
  SaveConfig = 0x05,
  ReadButtonBlock = 0x06,
  WriteButtonBlock = 0x07,
  ReadGlobalConfig = 0x08,
  WriteGlobalConfig = 0x09,
  SetMode = 0x0A,
};

// 16-bit wrap-around sum of the bytes taken as unsigned; 0 for no bytes.
inline uint16_t Checksum(const uint8_t* data, size_t len) {
  uint16_t sum = 0;
  for (size_t i = 0; i < len; ++i) {
    sum = static_cast<uint16_t>(sum + data[i]);
  }
  return sum;
}

// Layout: bytes 0-1 checksum (LE), 2 payload length, 3 command, 4-5 argument (LE),
// 6-63 payload. A request starts as zeros and gets only the fields its command uses.
struct CommandReport {
  std::array<uint8_t, kReportSize> bytes{};

  static CommandReport Request(CommandCode command, uint16_t argument = 0) {
    CommandReport report;
    report.bytes[3] = static_cast<uint8_t>(command);
    report.SetArgument(argument);
    return report;
  }

  // Copies `len` bytes (at most 58) to the payload and sets length and checksum to match.
  void SetPayload(const uint8_t* data, uint8_t len) {
    if (len > kMaxPayload) {
      len = kMaxPayload;
    }
    if (len > 0) {
      std::memcpy(bytes.data() + kHeaderSize, data, len);
    }
    bytes[2] = len;
    SetChecksum(Checksum(data, len));
  }
  void SetChecksum(uint16_t sum) {
    bytes[0] = static_cast<uint8_t>(sum & 0xFF);
    bytes[1] = static_cast<uint8_t>(sum >> 8);
  }
  void SetArgument(uint16_t argument) {
    bytes[4] = static_cast<uint8_t>(argument & 0xFF);
    bytes[5] = static_cast<uint8_t>(argument >> 8);
  }

  uint16_t ChecksumField() const { return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)); }
  uint8_t Length() const { return bytes[2]; }
  uint8_t Command() const { return bytes[3]; }
  uint16_t Argument() const { return static_cast<uint16_t>(bytes[4] | (bytes[5] << 8)); }
  const uint8_t* Payload() const { return bytes.data() + kHeaderSize; }
  uint8_t* Payload() { return bytes.data() + kHeaderSize; }
  uint8_t* data() { return bytes.data(); }
  const uint8_t* data() const { return bytes.data(); }
};
