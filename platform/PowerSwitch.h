// The controller's power switch: bit 0 of one byte of physical memory, reached through the
// run's physical-memory pair (platform/PhysicalMemory.h) by two copy routines. Without a
// pair nothing can be mapped.
#pragma once

#include <cstdint>

class PhysicalMemory;

// Physical address of the byte whose bit 0 powers the controller (1 = on).
constexpr uint64_t kControllerPowerAddress = 0xFE80042D;

// Copies `length` bytes of physical memory at `physicalAddress` into `destination`. False,
// with nothing copied, when the range cannot be mapped (or there is no pair).
bool ReadPhysical(PhysicalMemory* memory, uint64_t physicalAddress, void* destination,
                  uint32_t length);
// Copies `length` bytes from `source` into physical memory at `physicalAddress`. False, with
// nothing written, when the range cannot be mapped (or there is no pair).
bool WritePhysical(PhysicalMemory* memory, uint64_t physicalAddress, const void* source,
                   uint32_t length);

// True when the power byte can be reached: maps and unmaps it once, reading only. Checked
// before a sequence touches the controller, since a transfer without the power cycle would
// leave the controller in its boot loader.
bool PowerSwitchUsable(PhysicalMemory* memory);

// Sets (on) or clears (off) the controller's power bit, keeping the byte's other seven bits.
// When the byte cannot be read nothing is written: its other bits would be unknown. The
// callers go on whatever happened, so no outcome is returned.
void SetControllerPower(PhysicalMemory* memory, bool on);
