// The power switch over a fake map/unmap pair backed by a byte array.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/PhysicalMemory.h"
#include "platform/PowerSwitch.h"

namespace {

// One page of "physical memory" around the power byte; maps hand out pointers into it.
class FakePhysicalMemory final : public PhysicalMemory {
 public:
  static constexpr uint64_t kBase = 0xFE800000;

  struct MapCall {
    uint64_t address;
    uint32_t length;
  };

  FakePhysicalMemory() { bytes.fill(0x5A); }

  void* Map(uint64_t physicalAddress, uint32_t length, void** handle) override {
    calls.push_back({physicalAddress, length});
    bool inside = physicalAddress >= kBase && physicalAddress + length <= kBase + bytes.size();
    if (failMapNumber == calls.size() || failAllMaps || !inside) {
      return nullptr;
    }
    *handle = &bytes;
    lastMapped = bytes.data() + (physicalAddress - kBase);
    return lastMapped;
  }

  void Unmap(void* handle, void* mapped) override {
    ++unmaps;
    if (handle != &bytes || mapped != lastMapped) {
      ++badUnmaps;
    }
  }

  unsigned char& Byte(uint64_t address) { return bytes[address - kBase]; }

  std::array<unsigned char, 4096> bytes{};
  std::vector<MapCall> calls;
  unsigned char* lastMapped = nullptr;
  size_t failMapNumber = 0;  // 1-based number of the map call that fails; 0: none
  bool failAllMaps = false;
  unsigned unmaps = 0;
  unsigned badUnmaps = 0;
};

class PowerSwitchTest : public ::testing::Test {
 protected:
  // Runs SetControllerPower on a fresh fake whose power byte holds `before`.
  unsigned char Switch(unsigned char before, bool on) {
    memory.calls.clear();
    memory.unmaps = 0;
    memory.Byte(kControllerPowerAddress) = before;
    SetControllerPower(&memory, on);
    return memory.Byte(kControllerPowerAddress);
  }

  FakePhysicalMemory memory;
};

}  // namespace

TEST_F(PowerSwitchTest, ChangesOnlyBitZero) {
  EXPECT_EQ(Switch(0xA4, true), 0xA5);
  EXPECT_EQ(Switch(0xA4, false), 0xA4);
  EXPECT_EQ(Switch(0xFF, false), 0xFE);
  EXPECT_EQ(Switch(0xFF, true), 0xFF);
  EXPECT_EQ(Switch(0x00, true), 0x01);
  EXPECT_EQ(Switch(0x01, false), 0x00);
  EXPECT_EQ(memory.badUnmaps, 0u);
}

TEST_F(PowerSwitchTest, ReadsOneByteThenWritesOneByteAtThePowerAddress) {
  for (bool on : {true, false}) {
    for (unsigned char before : {0x00, 0x01, 0xA4, 0xA5}) {
      unsigned char after = Switch(before, on);
      // The same byte is written back when the bit already has the wanted value.
      ASSERT_EQ(memory.calls.size(), 2u) << int(before) << " on=" << on;
      for (const auto& call : memory.calls) {
        EXPECT_EQ(call.address, 0xFE80042Du);
        EXPECT_EQ(call.length, 1u);
      }
      EXPECT_EQ(memory.unmaps, 2u);
      EXPECT_EQ(after & 0x01, on ? 1 : 0);
    }
  }
  // Neighbours of the power byte are never touched.
  EXPECT_EQ(memory.Byte(kControllerPowerAddress - 1), 0x5A);
  EXPECT_EQ(memory.Byte(kControllerPowerAddress + 1), 0x5A);
  EXPECT_EQ(memory.badUnmaps, 0u);
}

TEST_F(PowerSwitchTest, FailedReadWritesNothing) {
  memory.failMapNumber = 1;
  EXPECT_EQ(Switch(0xA4, true), 0xA4);
  EXPECT_EQ(memory.calls.size(), 1u);
  EXPECT_EQ(memory.unmaps, 0u);
  EXPECT_EQ(Switch(0xA5, false), 0xA5);
  EXPECT_EQ(memory.unmaps, 0u);
}

TEST_F(PowerSwitchTest, FailedWriteLeavesTheByte) {
  memory.failMapNumber = 2;
  EXPECT_EQ(Switch(0xA4, true), 0xA4);
  EXPECT_EQ(memory.calls.size(), 2u);
  EXPECT_EQ(memory.unmaps, 1u);
}

TEST_F(PowerSwitchTest, CopyRoutinesCopyAndUnmapOnlyWhenMapped) {
  memory.Byte(0xFE800100) = 0x11;
  memory.Byte(0xFE800101) = 0x22;
  memory.Byte(0xFE800102) = 0x33;
  std::array<unsigned char, 3> read{};
  ASSERT_TRUE(ReadPhysical(&memory, 0xFE800100, read.data(), 3));
  EXPECT_EQ(read, (std::array<unsigned char, 3>{0x11, 0x22, 0x33}));
  const std::array<unsigned char, 2> written{0xC1, 0xC2};
  ASSERT_TRUE(WritePhysical(&memory, 0xFE800200, written.data(), 2));
  EXPECT_EQ(memory.Byte(0xFE800200), 0xC1);
  EXPECT_EQ(memory.Byte(0xFE800201), 0xC2);
  EXPECT_EQ(memory.Byte(0xFE800202), 0x5A);
  EXPECT_EQ(memory.unmaps, 2u);

  memory.failAllMaps = true;
  std::array<unsigned char, 3> untouched{0x77, 0x77, 0x77};
  EXPECT_FALSE(ReadPhysical(&memory, 0xFE800100, untouched.data(), 3));
  EXPECT_EQ(untouched, (std::array<unsigned char, 3>{0x77, 0x77, 0x77}));
  EXPECT_FALSE(WritePhysical(&memory, 0xFE800100, written.data(), 2));
  EXPECT_EQ(memory.Byte(0xFE800100), 0x11);
  EXPECT_EQ(memory.unmaps, 2u);
  EXPECT_EQ(memory.badUnmaps, 0u);
}

TEST(PowerSwitch, NoPairMeansNothingMapped) {
  unsigned char byte = 0x42;
  EXPECT_FALSE(ReadPhysical(nullptr, kControllerPowerAddress, &byte, 1));
  EXPECT_FALSE(WritePhysical(nullptr, kControllerPowerAddress, &byte, 1));
  EXPECT_EQ(byte, 0x42);
  SetControllerPower(nullptr, true);  // must simply do nothing
  EXPECT_FALSE(PowerSwitchUsable(nullptr));
}
