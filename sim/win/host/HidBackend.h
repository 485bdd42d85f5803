// One simulated HID device as a pipe server serves it: its identity and presence, its report
// lengths, and the exchange of reports over numbered connections (one per open handle).
#pragma once

#include <cstddef>
#include <cstdint>

#include "sim/SimTypes.h"

class HidBackend {
 public:
  virtual ~HidBackend() = default;

  virtual uint16_t VendorId() = 0;
  virtual uint16_t ProductId() = 0;
  // Listed among the present HID devices.
  virtual bool Present() = 0;
  // Can be opened at all (a listed device that cannot be opened is skipped by a scan).
  virtual bool Openable() { return true; }
  // Kept from this program by another: listed, but opening it for reading and writing fails
  // with ERROR_ACCESS_DENIED, as HidHide makes a hidden device fail (the host lists it under
  // a path that refuses so). Handles already open stay as they are.
  virtual bool Held() { return false; }
  // Opened exclusively by another, as Windows opens a keyboard or mouse collection for
  // itself: a read-write open is refused, while an open that asks for no access succeeds and
  // reads the capabilities (the host lists it under a file that it keeps open unshared).
  // Fixed for the host's run.
  virtual bool OwnedByWindows() { return false; }
  // Report lengths as the capabilities show them, report id included.
  virtual uint16_t InputLength() = 0;
  virtual uint16_t OutputLength() = 0;
  // Platform failures to show for this device (sim_hid::kFail* of SimHidTable.h).
  virtual uint16_t Flags() { return 0; }

  // A handle was opened on the device: a connection number, or 0 to refuse it.
  virtual uint32_t Connect() = 0;
  virtual void Disconnect(uint32_t connection) = 0;
  // The host wrote `count` wire bytes (report id first). False when the device has gone.
  virtual bool HostWrite(uint32_t connection, const uint8_t* wire, size_t count) = 0;
  // The oldest queued reply's due time on the simulators' clock (sim/SimClock.h).
  virtual ReplyStatus PeekReply(uint32_t connection, uint32_t* dueMs) = 0;
  // Removes the oldest reply once it is due.
  virtual bool TakeReply(uint32_t connection, SimReply* reply) = 0;
};
