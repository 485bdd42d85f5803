// The native transport over the controller simulator: the transport operations that the
// controller link needs, with every wait taken on the simulators' clock (virtual in tests). It
// behaves as the Win32 HID transport does: a transfer on a device whose report length is
// not len + 1 fails without I/O, a read that gets no reply in time fails after the whole
// time-out, and a read whose byte count is not the report length fails.
#pragma once

#include <cstdint>

#include "sim/ControllerSimulator.h"

class SimTransport {
 public:
  explicit SimTransport(ControllerSimulator& sim) : sim_(sim) {}
  ~SimTransport() { CloseDevice(); }
  SimTransport(const SimTransport&) = delete;
  SimTransport& operator=(const SimTransport&) = delete;

  // Closes what was open, then opens the device with this vid/pid if it is present and its
  // path (DevicePath) contains `pathFilter` (null or empty matches every path).
  bool OpenDevice(uint16_t vid, uint16_t pid, const wchar_t* pathFilter);
  bool IsOpen() const { return connection_ != 0; }
  void CloseDevice();
  bool ReadReport(uint8_t* dst, uint16_t len, uint32_t timeoutMs);
  bool WriteReport(const uint8_t* src, uint16_t len, uint32_t timeoutMs);
  // Whether the device is present now; keeps nothing open and leaves this object as it is.
  bool IsPresent(uint16_t vid, uint16_t pid);

  // Virtual time that each scan (OpenDevice, IsPresent) costs; default 0.
  void SetScanCostMs(uint32_t ms) { scanCostMs_ = ms; }
  unsigned ScanCount() const { return scans_; }
  static const wchar_t* DevicePath(SimDevice device);

 private:
  void Scan();

  ControllerSimulator& sim_;
  uint32_t connection_ = 0;
  uint32_t scanCostMs_ = 0;
  unsigned scans_ = 0;
};
