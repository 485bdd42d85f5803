// The walk over the present HID device interfaces that opening and presence tests share:
// every interface is opened, its attributes read and a debug line written for it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The DDK headers carry no C++ linkage guards of their own.
extern "C" {
#include <hidsdi.h>
}

struct HidScanResult {
  bool listed = false;   // the list of present HID interfaces could be had
  bool matched = false;  // at least one device matched
  // The first match's open handle when the scan was asked to keep it, else invalid.
  HANDLE kept = INVALID_HANDLE_VALUE;
  // A listed interface whose path carries the asked ids ("vid_1c4f&pid_0002", in any case)
  // but that refused to open: CreateFileW's error (0: none seen) and the path. HidHide, or a
  // program that holds it exclusively, does this. With a `reportLength`, an interface whose
  // capabilities (read through an open that asks for no access) show other report lengths is
  // not counted: Windows holds the controller's keyboard and mouse collections itself.
  DWORD refusedError = 0;
  std::wstring refusedPath;
};

// Scans the present HID interfaces for vendor `vid` and product `pid` whose path contains
// `pathFilter` (null: any path) and, unless `reportLength` is 0, whose input and output
// reports are both `reportLength` bytes long: a composite device lists one interface per
// collection, all with the same ids, and only one of them may carry the reports wanted. With
// `keepFirstMatch` the scan stops at the first match and hands its handle over; otherwise
// every device is closed again and the scan runs to the end.
HidScanResult ScanHidDevices(uint16_t vid, uint16_t pid, const wchar_t* pathFilter,
                             bool keepFirstMatch, uint16_t reportLength);
// The capabilities of the open HID device `device`; false when they cannot be read.
bool QueryHidCaps(HANDLE device, HIDP_CAPS* caps);
