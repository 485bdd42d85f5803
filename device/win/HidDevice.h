// One overlapped connection to a USB HID device: found by vendor and product id among the
// present HID interfaces, single reports moved with time-outs, and a presence test.
#pragma once

#include <windows.h>

#include <cstdint>

#include "device/HidTransport.h"

// The DDK headers carry no C++ linkage guards of their own.
extern "C" {
#include <hidsdi.h>
}

class CHidDevice {
 public:
  // Bound on any report this object moves, report id included.
  static constexpr DWORD kBufferSize = 4096;
  CHidDevice() = default;
  ~CHidDevice();
  CHidDevice(const CHidDevice&) = delete;
  CHidDevice& operator=(const CHidDevice&) = delete;

  // Closes whatever was open, then opens the first present HID device with this vendor and
  // product id whose interface path contains `pathFilter` (null or empty: any path) and whose
  // input and output reports are kCommandReportLength bytes long. Interfaces of the same
  // device with other reports (its gamepad collection) are passed over.
  bool OpenDevice(uint16_t vid, uint16_t pid, const wchar_t* pathFilter);
  bool IsOpen() const { return device != INVALID_HANDLE_VALUE; }
  void CloseDevice();
  // The open device's capabilities, queried afresh.
  bool GetCaps(HIDP_CAPS* caps);
  // One input report: its `len` data bytes (without the report id) go to `dst`.
  bool ReadReport(uint8_t* dst, uint16_t len, TransportTimeoutMs timeoutMs);
  // One output report with report id 0 followed by the `len` bytes of `src`.
  bool WriteReport(const uint8_t* src, uint16_t len, TransportTimeoutMs timeoutMs);
  // Whether a device with this vendor and product id is attached; keeps nothing open and
  // leaves this object as it is.
  bool IsPresent(uint16_t vid, uint16_t pid);

 private:
  // Runs one overlapped transfer already set up in `overlapped`; true once it completed
  // successfully within `timeoutMs`, with its byte count in `*count`.
  bool FinishTransfer(BOOL started, OVERLAPPED& overlapped, DWORD timeoutMs, DWORD* count);
  // Capabilities' report length for one direction, or 0 when it cannot serve `len` bytes.
  DWORD UsableReportLength(bool input, uint16_t len);

  uint8_t* readBuffer = nullptr;
  uint8_t* writeBuffer = nullptr;
  HANDLE readEvent = nullptr;
  HANDLE writeEvent = nullptr;
  HANDLE device = INVALID_HANDLE_VALUE;
};

static_assert(HidTransport<CHidDevice>);
