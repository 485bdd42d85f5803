// What a HID transport offers the controller link (CVexapadT): open a device by vendor and
// product id (and a part of its path), tell whether it is open, close it, write one output
// report and read one input report within a time-out, and tell whether a device is present
// without opening it. Each backend (the Win32 HID transport, hidraw, the simulator's)
// asserts that it offers exactly these, with one type for every time-out.
#pragma once

#include <cstdint>

// How long a transfer may wait for the device, in milliseconds.
using TransportTimeoutMs = uint32_t;

// The report length (id byte included) of the controller's command interface: its 64-byte
// commands and replies behind report id 0. Other interfaces with its ids (a gamepad, a
// keyboard) have other lengths and are never opened.
inline constexpr uint16_t kCommandReportLength = 65;

template <typename T>
concept HidTransport = requires {
  // Closes what was open, then opens the first present device with this vid/pid whose path
  // contains `pathFilter` (null or empty: any path) and whose reports are of the length above.
  static_cast<bool (T::*)(uint16_t, uint16_t, const wchar_t*)>(&T::OpenDevice);
  static_cast<bool (T::*)() const>(&T::IsOpen);
  static_cast<void (T::*)()>(&T::CloseDevice);
  // `len` bytes without the report id, into `dst`; false unless exactly those came in time.
  static_cast<bool (T::*)(uint8_t*, uint16_t, TransportTimeoutMs)>(&T::ReadReport);
  // Report id 0 followed by the `len` bytes of `src`.
  static_cast<bool (T::*)(const uint8_t*, uint16_t, TransportTimeoutMs)>(&T::WriteReport);
  // Whether such a device is attached now; opens nothing and leaves the object as it is.
  static_cast<bool (T::*)(uint16_t, uint16_t)>(&T::IsPresent);
};
