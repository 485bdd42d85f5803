// The power switch through inpoutx64.dll's ordinals, against the stand-in library and its
// shared block.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>

#include "platform/PowerSwitch.h"
#include "platform/win/InpOutPhysicalMemory.h"
#include "sim/win/inpout/SharedPhysicalMemory.h"

namespace {

class InpOutPowerSwitch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(block.Open());
    block.SetMapFailure(false);
    block.ResetCounters();
  }
  void TearDown() override { block.SetMapFailure(false); }

  SharedPhysicalHeader& Counters() { return block.Header(); }

  // Switches with the power byte at `before` and returns the byte afterwards.
  unsigned char Switch(unsigned char before, bool on) {
    block.SetPowerByte(before);
    SetControllerPower(&memory, on);
    return block.PowerByte();
  }

  SharedPhysicalMemory block;
  InpOutPhysicalMemory memory;
};

}  // namespace

TEST_F(InpOutPowerSwitch, ChangesOnlyBitZeroOfThePowerByte) {
  EXPECT_EQ(Switch(0xA4, true), 0xA5);
  EXPECT_TRUE(block.PowerOn());
  EXPECT_EQ(Switch(0xA5, false), 0xA4);
  EXPECT_FALSE(block.PowerOn());
  EXPECT_EQ(Switch(0xA4, false), 0xA4);
  EXPECT_EQ(Switch(0xFF, false), 0xFE);
  EXPECT_EQ(Switch(0xFF, true), 0xFF);
  // Every call mapped the byte twice, read through one mapping and wrote through the other.
  EXPECT_EQ(Counters().maps, 10);
  EXPECT_EQ(Counters().unmaps, 10);
  EXPECT_EQ(Counters().reads, 5);
  EXPECT_EQ(Counters().writes, 5);
  EXPECT_EQ(Counters().refusedMaps, 0);
  EXPECT_EQ(Counters().badUnmaps, 0);
  EXPECT_EQ(Counters().lastMapAddress, 0xFE80042D);
  EXPECT_EQ(Counters().lastMapLength, 1);
  // The neighbours of the power byte were never written.
  EXPECT_EQ(block.Window()[0x42C], 0);
  EXPECT_EQ(block.Window()[0x42E], 0);
}

TEST_F(InpOutPowerSwitch, UnavailableSwitchChangesNothing) {
  block.SetPowerByte(0xA4);
  block.SetMapFailure(true);
  SetControllerPower(&memory, true);
  EXPECT_EQ(block.PowerByte(), 0xA4);
  // The read was refused, so no write was even tried.
  EXPECT_EQ(Counters().refusedMaps, 1);
  EXPECT_EQ(Counters().maps, 0);
  EXPECT_EQ(Counters().unmaps, 0);

  unsigned char byte = 0x77;
  EXPECT_FALSE(ReadPhysical(&memory, kControllerPowerAddress, &byte, 1));
  EXPECT_EQ(byte, 0x77);
  EXPECT_FALSE(WritePhysical(&memory, kControllerPowerAddress, &byte, 1));
  EXPECT_EQ(block.PowerByte(), 0xA4);

  block.SetMapFailure(false);
  SetControllerPower(&memory, true);
  EXPECT_EQ(block.PowerByte(), 0xA5);
}

TEST_F(InpOutPowerSwitch, CopyRoutinesReachOnlyThePowerPage) {
  block.Window()[0x100] = 0x11;
  block.Window()[0x101] = 0x22;
  std::array<unsigned char, 2> read{};
  ASSERT_TRUE(ReadPhysical(&memory, 0xFE800100, read.data(), 2));
  EXPECT_EQ(read, (std::array<unsigned char, 2>{0x11, 0x22}));
  const std::array<unsigned char, 3> written{0xC1, 0xC2, 0xC3};
  ASSERT_TRUE(WritePhysical(&memory, 0xFE800FFD, written.data(), 3));
  EXPECT_EQ(block.Window()[0xFFD], 0xC1);
  EXPECT_EQ(block.Window()[0xFFF], 0xC3);
  EXPECT_EQ(Counters().reads, 1);
  EXPECT_EQ(Counters().writes, 1);

  // Outside the page, or across its end, nothing maps.
  std::array<unsigned char, 4> untouched{0x55, 0x55, 0x55, 0x55};
  EXPECT_FALSE(ReadPhysical(&memory, 0xFE801000, untouched.data(), 1));
  EXPECT_FALSE(ReadPhysical(&memory, 0xFE800FFE, untouched.data(), 4));
  EXPECT_FALSE(ReadPhysical(&memory, 0x1000, untouched.data(), 1));
  EXPECT_FALSE(WritePhysical(&memory, 0x1FE80042D, written.data(), 1));
  EXPECT_EQ(untouched, (std::array<unsigned char, 4>{0x55, 0x55, 0x55, 0x55}));
  EXPECT_EQ(Counters().refusedMaps, 4);
  EXPECT_EQ(Counters().maps, 2);
  EXPECT_EQ(Counters().unmaps, 2);
  EXPECT_EQ(Counters().badUnmaps, 0);
}
