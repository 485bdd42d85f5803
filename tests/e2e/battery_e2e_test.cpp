// The shipped padwright.exe on a made-up machine's battery. Wine's GetSystemPowerStatus reads
// /sys/class/power_supply in the calling process, and in-power-namespace.sh runs this driver
// in a private mount namespace with a tree of its own bound there; the product, started from
// here, shares the namespace, and the driver writes the tree's supplies between presses.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "frontends/window/resource.h"
#include "sim/ControllerSimulator.h"
#include "tests/support/UserController.h"
#include "tests/win/support/ProductSession.h"
#include "tests/win/support/TestFolder.h"
#include "tests/win/support/WindowProbe.h"

namespace {

constexpr DWORD kSequenceMs = 90000;

std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024];
  DWORD n = GetEnvironmentVariableW(name, value, 1024);
  return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}

// Writes the charger AC and the battery BAT0, by the names and attributes Wine reads: the
// charge is charge_now against charge_full, each times voltage_now.
bool WriteMachine(const std::wstring& tree, bool charger, int percent) {
  const std::pair<const wchar_t*, std::string> attributes[] = {
      {L"AC\\type", "Mains"},
      {L"AC\\online", charger ? "1" : "0"},
      {L"BAT0\\type", "Battery"},
      {L"BAT0\\present", "1"},
      {L"BAT0\\status", "Discharging"},  // a battery that charges would count as the charger
      {L"BAT0\\charge_now", std::to_string(percent * 100000)},
      {L"BAT0\\charge_full", "10000000"},
      {L"BAT0\\voltage_now", "12000000"}};
  CreateDirectoryW((tree + L"\\AC").c_str(), nullptr);
  CreateDirectoryW((tree + L"\\BAT0").c_str(), nullptr);
  for (const auto& [file, value] : attributes) {
    std::string line = value + "\n";
    if (!WriteWholeFile(tree + L"\\" + file, std::vector<uint8_t>(line.begin(), line.end()))) {
      return false;
    }
  }
  return true;
}

// Answers the outcome box after checking its text and caption.
void ExpectOutcomeBox(ProductSession& session, const std::wstring& text,
                      const std::wstring& caption) {
  HWND box = session.WaitForBox(kSequenceMs);
  ASSERT_NE(box, nullptr) << "no box; status: " << testing::PrintToString(session.Text(IDC_STATUS));
  EXPECT_EQ(probe::MessageBoxText(box), text);
  EXPECT_EQ(probe::TextOf(box), caption);
  EXPECT_EQ(session.Text(IDC_STATUS), text);
  EXPECT_TRUE(session.Dismiss(box));
}

}  // namespace

TEST(BatteryEndToEnd, UpdateOnBatteryAtFourteenPercentIsRefusedAndOnTheChargerGoesAhead) {
  const std::wstring tree = Environment(L"PADWRIGHT_POWER_SUPPLY_TREE");
  if (tree.empty()) {
    std::wstring why = Environment(L"PADWRIGHT_POWER_SUPPLY_SKIP");
    GTEST_SKIP() << "no made-up power-supply tree: "
                 << (why.empty() ? L"run through tests/e2e/in-power-namespace.sh" : why);
  }
  std::wstring supplies = L"Z:" + tree;
  std::replace(supplies.begin(), supplies.end(), L'/', L'\\');
  ASSERT_TRUE(WriteMachine(supplies, false, 14));
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 4);
  ProductSession session(sim, 58 * 100 + 9);
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
  RECT collapsed = probe::RectOf(session.Window());

  sim.ClearTranscript();
  session.Click(IDC_UPDATE);
  HWND box = session.WaitForBox(kSequenceMs);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(sim.Transcript().empty());
  ExpectOutcomeBox(session, L"Battery low, connect the charger!", L"error");
  RECT after = probe::RectOf(session.Window());
  EXPECT_EQ(after.bottom - after.top, collapsed.bottom - collapsed.top);
  EXPECT_FALSE(session.Enabled(IDC_INITIALIZE));
  ASSERT_TRUE(probe::WaitFor([&] { return session.Enabled(IDC_UPDATE); }, 20000));
  EXPECT_TRUE(sim.Requests(SimDevice::BootLoader).empty());

  // The charger plugged in: a lower charge, yet the update goes ahead.
  ASSERT_TRUE(WriteMachine(supplies, true, 5));
  session.Click(IDC_UPDATE);
  ExpectOutcomeBox(session, L"Upgrade success", L"info");
  EXPECT_EQ(sim.ReceivedImage(), session.Image());
  EXPECT_TRUE(sim.ImageComplete());
  EXPECT_EQ(sim.ModesSet(), std::vector<uint16_t>{kUserMode});
  EXPECT_EQ(session.Close(), 0u);
}
