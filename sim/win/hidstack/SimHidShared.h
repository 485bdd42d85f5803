// What both test-only DLLs of the simulated HID stack share: the interface class GUID of HID
// devices and the process's reader of the shared device list.
#pragma once

#include <windows.h>

#include "sim/win/hidstack/SimHidTable.h"

// {4D1E55B2-F16F-11CF-88CB-001111000030}, the HID device interface class.
inline constexpr GUID kSimHidGuid = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// The process's view of the device list, opened on first use and again on later calls for as
// long as no host has made it yet (then it reads as empty).
SimHidTable& SharedSimHidTable();
