// The power-supply class as the Linux command reads it, over made-up trees: which supplies
// count as external power, which batteries are the machine's, and where a charge comes from.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/linux/SysfsPowerSource.h"

namespace {

using Attributes = std::map<std::string, std::string>;

class PowerSupplyTree : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/padwright-power-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    folder = name;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  // One supply folder with its attributes, each written as the kernel does, with a newline.
  void Supply(const std::string& name, const Attributes& attributes) {
    std::filesystem::create_directories(folder + "/" + name);
    for (const auto& [attribute, value] : attributes) {
      std::ofstream(folder + "/" + name + "/" + attribute) << value << "\n";
    }
  }

  PowerState Read() {
    PowerState state;
    EXPECT_TRUE(SysfsPowerSource(folder).Read(&state));
    return state;
  }

  std::string folder;
};

TEST_F(PowerSupplyTree, ExternalPowerComesFromAnOnlineMainsOrUsbSupplyOrACharge) {
  Supply("AC", {{"type", "Mains"}, {"online", "0"}});
  Supply("ucsi-source-psy-USBC000:001", {{"type", "USB"}, {"online", "0"}});
  Supply("BAT0",
         {{"type", "Battery"}, {"present", "1"}, {"status", "Discharging"}, {"capacity", "14"}});
  PowerState state = Read();
  EXPECT_FALSE(state.externalPower);
  EXPECT_FALSE(state.charging);
  EXPECT_TRUE(state.batteryPresent);
  EXPECT_EQ(state.chargePercent, 14);

  Supply("ucsi-source-psy-USBC000:001", {{"online", "1"}});
  EXPECT_TRUE(Read().externalPower);
  Supply("ucsi-source-psy-USBC000:001", {{"online", "0"}});
  Supply("BAT0", {{"status", "Full"}});
  EXPECT_TRUE(Read().charging);
}

TEST_F(PowerSupplyTree, OnlyThePresentBatteriesOfTheMachineCountWithTheChargeTheyGive) {
  // A wireless gamepad's battery, nearly flat, and a battery bay left empty.
  Supply("hid-gamepad-battery",
         {{"type", "Battery"}, {"present", "1"}, {"scope", "Device"}, {"capacity", "3"}});
  Supply("BAT1", {{"type", "Battery"}, {"present", "0"}, {"capacity", "0"}});
  PowerState state = Read();
  EXPECT_FALSE(state.batteryPresent);
  EXPECT_FALSE(state.chargePercent.has_value());

  // Without capacity: charge against full charge, else energy against full energy; two
  // batteries give their mean.
  Supply("BAT0", {{"type", "Battery"},
                  {"present", "1"},
                  {"charge_now", "1400000"},
                  {"charge_full", "10000000"}});
  EXPECT_EQ(Read().chargePercent, 14);
  Supply("BAT2", {{"type", "Battery"},
                  {"present", "1"},
                  {"energy_now", "30000000"},
                  {"energy_full", "40000000"}});
  EXPECT_EQ(Read().chargePercent, (14 + 75) / 2);
  // A gauge that reads nothing usable gives no charge rather than zero.
  std::filesystem::remove_all(folder + "/BAT2");
  Supply("BAT0", {{"charge_full", "0"}});
  state = Read();
  EXPECT_TRUE(state.batteryPresent);
  EXPECT_FALSE(state.chargePercent.has_value());
  EXPECT_FALSE(SysfsPowerSource(folder + "/missing").Read(&state));
}

}  // namespace
