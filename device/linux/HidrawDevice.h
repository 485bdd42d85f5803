// One connection to a USB HID device through the kernel's hidraw interface: found by vendor
// and product id in sysfs, single reports moved with time-outs, and a presence test. Fails
// the way the Win32 transport does: a transfer whose length does not fit the device's report
// length fails without I/O, a reply that does not come in time fails after the whole
// time-out, a read of any other length than asked for is a failed read.
#pragma once

#include <cstdint>
#include <string>

#include "device/HidTransport.h"

class CHidrawDevice {
 public:
  CHidrawDevice() = default;
  ~CHidrawDevice();
  CHidrawDevice(const CHidrawDevice&) = delete;
  CHidrawDevice& operator=(const CHidrawDevice&) = delete;

  // Closes whatever was open, then opens a hidraw node of a device with this vendor and
  // product id whose report descriptor declares kCommandReportLength in both directions and
  // no report ids (another function with its ids, a gamepad or keyboard, is never opened),
  // whose node path contains `pathFilter` (null or empty: any). Fails when no such node
  // opens now.
  bool OpenDevice(uint16_t vid, uint16_t pid, const wchar_t* pathFilter);
  bool IsOpen() const { return fd_ >= 0; }
  void CloseDevice();
  // One input report of exactly `len` bytes into `dst`.
  bool ReadReport(uint8_t* dst, uint16_t len, TransportTimeoutMs timeoutMs);
  // One output report: report id 0 followed by the `len` bytes of `src`.
  bool WriteReport(const uint8_t* src, uint16_t len, TransportTimeoutMs timeoutMs);
  // Whether a device with this vendor and product id is attached; opens nothing and leaves
  // this object as it is.
  bool IsPresent(uint16_t vid, uint16_t pid);

  // The node open now, or an empty text.
  const std::string& DevicePath() const { return path_; }

 private:
  // Waits until the node is ready for `events` or the deadline passes; false on time-out and
  // at once when the device has gone.
  bool WaitReady(short events, uint64_t deadlineMs);

  int fd_ = -1;
  std::string path_;
  uint16_t inputLength_ = 0;  // as the report descriptor declares, id byte included
  uint16_t outputLength_ = 0;
};

static_assert(HidTransport<CHidrawDevice>);
