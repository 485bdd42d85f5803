// One connection to a USB HID device through the kernel's hidraw interface: found by vendor
// and product id in sysfs, single reports moved with time-outs, and a presence test. Fails
// the way the Win32 transport does: a transfer whose length does not fit the device's report
// length fails without I/O, a reply that does not come in time fails after the whole
// time-out, a read of any other length than asked for is a failed read.
#pragma once

#include <cstdint>
#include <string>

class CHidrawDevice {
 public:
  // The report length (id byte included) of the interface the controller link talks to: a
  // node counts as the device only when its report descriptor declares this length in both
  // directions and no report ids. Other interfaces with its ids (a gamepad, keyboard or mouse
  // function) are never opened.
  static constexpr uint16_t kCommandReportLength = 65;

  CHidrawDevice() = default;
  ~CHidrawDevice();
  CHidrawDevice(const CHidrawDevice&) = delete;
  CHidrawDevice& operator=(const CHidrawDevice&) = delete;

  // Closes whatever was open, then opens a hidraw node of a device with this vendor and
  // product id, of the report length above, whose node path contains `pathFilter` (null or
  // empty: any). Fails when no such node opens now.
  bool OpenDevice(uint16_t vid, uint16_t pid, const wchar_t* pathFilter);
  bool IsOpen() const { return fd_ >= 0; }
  void CloseDevice();
  // One input report of exactly `len` bytes into `dst`.
  bool ReadReport(uint8_t* dst, uint16_t len, uint32_t timeoutMs);
  // One output report: report id 0 followed by the `len` bytes of `src`.
  bool WriteReport(const uint8_t* src, uint16_t len, uint32_t timeoutMs);
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
