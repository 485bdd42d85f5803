// The power byte behind the power switch: bit 0 switches the simulated controller.
#include <gtest/gtest.h>

#include "platform/PhysicalMemory.h"
#include "platform/PowerSwitch.h"
#include "sim/SimPhysicalMemory.h"
#include "tests/support/SimRig.h"

TEST(SimPhysicalMemory, PowerSwitchCyclesTheControllerKeepingOtherBits) {
  SimRig rig;
  SimPhysicalMemory memory(rig.sim, 0xA5);

  SetControllerPower(&memory, false);
  EXPECT_EQ(memory.PowerByte(), 0xA4);
  EXPECT_FALSE(rig.sim.IsPowered());
  EXPECT_FALSE(rig.sim.IsPresent(kControllerVid, kControllerPid));
  EXPECT_EQ(memory.MapCount(), 2u);  // one read and one write mapping
  EXPECT_EQ(memory.UnmapCount(), 2u);

  SetControllerPower(&memory, true);
  EXPECT_EQ(memory.PowerByte(), 0xA5);
  EXPECT_TRUE(rig.sim.IsPowered());
  rig.clock->Advance(500);
  EXPECT_TRUE(rig.sim.IsPresent(kControllerVid, kControllerPid));

  // Switching on again changes nothing: no second power-on.
  SetControllerPower(&memory, true);
  rig.clock->Advance(500);
  EXPECT_EQ(rig.sim.PowerOnCount(), 1u);
}

TEST(SimPhysicalMemory, UnavailableLibraryMapsNothingAndLeavesPowerAlone) {
  SimRig rig;
  SimPhysicalMemory memory(rig.sim);
  memory.SetUnavailable(true);
  SetControllerPower(&memory, false);
  EXPECT_TRUE(rig.sim.IsPowered());
  EXPECT_EQ(memory.PowerByte(), 0x01);
  EXPECT_EQ(memory.MapCount(), 0u);

  void* handle = nullptr;
  memory.SetUnavailable(false);
  EXPECT_EQ(memory.Map(SimPhysicalMemory::kPowerByteAddress + 1, 1, &handle), nullptr);
  EXPECT_EQ(memory.Map(SimPhysicalMemory::kPowerByteAddress, 2, &handle), nullptr);
  EXPECT_NE(memory.Map(SimPhysicalMemory::kPowerByteAddress, 1, &handle), nullptr);
}
