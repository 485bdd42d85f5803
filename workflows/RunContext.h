// What one run of the tool works with beyond the controller link: the clock, the power
// switch's physical memory, the machine's power and whether the battery counts, the backup
// folder, and who can tell what keeps the controller and why the power switch is refused.
// Each front end's composition root makes one and hands it to every sequence and to what the
// sequences call; tests make one of fakes. The parts outlive the run. A null part is one
// this run does not have: nothing can be mapped, the power is unknown, nothing is saved,
// nobody is named, no advice is given.
#pragma once

#include <string>

#include "device/ControllerBlock.h"
#include "platform/BackupFolder.h"
#include "platform/Clock.h"
#include "platform/DriverBlock.h"
#include "platform/PhysicalMemory.h"
#include "platform/PowerSource.h"

struct RunContext {
  Clock& clock;
  PhysicalMemory* memory = nullptr;
  PowerSource* power = nullptr;
  // The user takes the risk of a low battery: the power is then neither checked nor kept in
  // the history.
  bool ignoreBattery = false;
  BackupFolder* backups = nullptr;
  ControllerBlockProbe* blockProbe = nullptr;
  DriverBlockSettingsSource* driverBlockSettings = nullptr;

  // The power source as the battery policy lets the run read it.
  PowerSource* CheckedPower() const { return ignoreBattery ? nullptr : power; }
  bool BatteryAllowsUpgrade() const { return ::BatteryAllowsUpgrade(CheckedPower()); }
  ControllerBlock FindControllerBlock() const { return ::FindControllerBlock(blockProbe); }
  std::wstring PowerSwitchAdvice() const { return ::PowerSwitchAdvice(driverBlockSettings); }
};
