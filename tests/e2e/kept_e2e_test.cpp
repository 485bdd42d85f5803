// The shipped padwright.exe end to end when something else stands between it and the
// controller: a controller listed but held by another program (or hidden by HidHide, its
// control device faked in the prefix) is named and refused before anything is sent, and read
// once let go; hidden again after the power cycle of a forced upgrade (which goes ahead with
// only the boot loader there), the restore's box names it and Retry restores once it is let
// go; the controller's keyboard collection, which Windows holds, blocks no recovery; and the
// power switch's refusal names the settings of Windows that are on.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "frontends/window/resource.h"
#include "platform/DriverBlock.h"
#include "sim/ControllerSimulator.h"
#include "sim/win/host/ScriptedHidDevice.h"
#include "sim/win/inpout/SharedPhysicalMemory.h"
#include "tests/e2e/E2eSteps.h"
#include "tests/support/UserController.h"
#include "tests/win/support/FakeHidHide.h"
#include "tests/win/support/ProductSession.h"
#include "tests/win/support/SavedBackups.h"
#include "tests/win/support/WindowProbe.h"
#include "workflows/backups/BackupStateNames.h"

namespace {

const std::wstring kHeld = L"Another program holds the controller: close it, then press Refresh";
const std::wstring kHidden =
    L"HidHide hides the controller: allow padwright.exe in HidHide, then press Refresh";

// A DWORD value under HKLM set in the prefix for as long as the object lives.
class MachineValue {
 public:
  MachineValue(const wchar_t* key, const wchar_t* name, DWORD value) : key_(key), name_(name) {
    set_ = RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, name, REG_DWORD, &value, sizeof(value)) ==
           ERROR_SUCCESS;
  }
  ~MachineValue() { RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key_, name_); }
  MachineValue(const MachineValue&) = delete;
  MachineValue& operator=(const MachineValue&) = delete;
  bool Set() const { return set_; }

 private:
  const wchar_t* key_;
  const wchar_t* name_;
  bool set_ = false;
};

std::string StateOfNewestBackup() {
  const std::vector<BackupEntry> backups = SavedBackups();
  return backups.empty() ? std::string() : StateWord(backups.front().backup.state);
}

}  // namespace

TEST(KeptController, ListedButRefusedIsNamedRefusedBeforeAnythingIsSentAndReadOnceLetGo) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 4);
  ProductSession session(sim, 58 * 40);
  session.Host().SetControllerHeld(true);
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: Error", 20000));
  EXPECT_TRUE(session.WaitForText(IDC_STATUS, kHeld, 20000));
  const RECT collapsed = probe::RectOf(session.Window());

  sim.ClearTranscript();
  session.SetText(IDC_VERSION, L"");
  session.Click(IDC_UPDATE);
  ExpectOutcomeBox(session, kHeld, L"error", L"e2e-held.png");
  WaitForTailRefresh(session);
  EXPECT_TRUE(sim.Transcript().empty());
  EXPECT_EQ(probe::RectOf(session.Window()).bottom, collapsed.bottom);  // not grown
  EXPECT_FALSE(session.Enabled(IDC_INITIALIZE));
  {
    FakeHidHide hidHide;
    ASSERT_TRUE(hidHide.Made());
    session.Click(IDC_REFRESH);
    EXPECT_TRUE(session.WaitForText(IDC_STATUS, kHidden, 20000));
    session.SetText(IDC_VERSION, L"");
    session.Click(IDC_UPDATE);
    ExpectOutcomeBox(session, kHidden, L"error", L"");
    WaitForTailRefresh(session);
  }
  EXPECT_TRUE(sim.Transcript().empty());

  session.Host().SetControllerHeld(false);
  session.Click(IDC_REFRESH);
  EXPECT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
  EXPECT_TRUE(session.WaitForText(IDC_STATUS, L"", 20000));
  EXPECT_EQ(session.Close(), 0u);
}

TEST(KeptController, HiddenAgainAfterThePowerCycleIsNamedAndRetryRestoresOnceLetGo) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 4);
  // Update's transfer is cut off half-way: the controller is left with its boot loader alone,
  // and the configuration Update saved is pending.
  sim.SetTransferErases(true);
  sim.Inject(Step::DataPacket, 20, Fault::DeviceGone);
  ProductSession session(sim, 58 * 60);
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
  session.Click(IDC_UPDATE);
  ExpectOutcomeBox(session, L"Upgrade failed!", L"error", L"");
  sim.ClearFaults();

  // From now on HidHide hides the controller whenever it is there in normal mode; its boot
  // loader has ids of its own, so Initialize and Force update go ahead.
  FakeHidHide hidHide;
  ASSERT_TRUE(hidHide.Made());
  session.Host().SetControllerHeld(true);
  session.Click(IDC_INITIALIZE);
  ASSERT_TRUE(session.WaitForText(IDC_STATUS, kInitializeOk, kSequenceMs));
  session.Click(IDC_FORCE_UPDATE);
  HWND box = session.WaitForBox(kSequenceMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(probe::MessageBoxText(box),
            L"Upgrade success\n\nThe saved configuration could not be restored.\n\nHidHide "
            L"hides the controller: allow padwright.exe in HidHide, then press Retry");
  EXPECT_TRUE(sim.ImageComplete());
  EXPECT_NE(sim.GetButtonConfig(), UserButtons());
  EXPECT_EQ(StateOfNewestBackup(), "pending");
  session.Screenshot(L"e2e-hidden-again.png", box);

  session.Host().SetControllerHeld(false);
  ASSERT_TRUE(session.Answer(box, IDRETRY));
  ExpectOutcomeBox(session, L"Upgrade success", L"info", L"");
  EXPECT_EQ(sim.GetButtonConfig(), UserButtons());
  EXPECT_EQ(StateOfNewestBackup(), "written-back");
  EXPECT_EQ(session.Close(), 0u);
}

TEST(KeptController, KeyboardCollectionHeldByWindowsBesideTheBootLoaderBlocksNoRecovery) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 4);
  sim.SetTransferErases(true);
  sim.Inject(Step::DataPacket, 20, Fault::DeviceGone);
  ProductSession session(sim, 58 * 60);
  // The controller's keyboard collection, with its ids, which Windows opens for itself.
  ScriptedHidDevice keyboard(0x1C4F, 0x0002);
  keyboard.SetReportLengths(9, 2);
  keyboard.SetOwnedByWindows(true);
  session.Host().AddDevice(keyboard);
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
  session.Click(IDC_UPDATE);
  ExpectOutcomeBox(session, L"Upgrade failed!", L"error", L"");
  WaitForTailRefresh(session);
  sim.ClearFaults();

  // Only the boot loader and the keyboard collection are there: nobody is named, and the
  // recovery goes ahead.
  session.Click(IDC_REFRESH);
  EXPECT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: Error", 20000));
  EXPECT_EQ(session.Text(IDC_STATUS), L"Upgrade failed!");
  session.Click(IDC_INITIALIZE);
  ASSERT_TRUE(session.WaitForText(IDC_STATUS, kInitializeOk, kSequenceMs));
  session.Click(IDC_FORCE_UPDATE);
  ExpectOutcomeBox(session, L"Upgrade success", L"info", L"");
  EXPECT_TRUE(sim.ImageComplete());
  EXPECT_EQ(sim.GetButtonConfig(), UserButtons());
  EXPECT_EQ(session.Close(), 0u);
}

TEST(KeptController, PowerSwitchRefusalNamesTheSettingOfWindowsThatIsOn) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 4);
  ProductSession session(sim, 58 * 40);
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
  SharedPhysicalMemory physical;
  ASSERT_TRUE(physical.Open());
  physical.SetMapFailure(true);

  constexpr wchar_t kPolicy[] = L"SOFTWARE\\Policies\\Microsoft\\Windows\\DeviceGuard";
  struct Value {
    const wchar_t* key;
    const wchar_t* name;
    DWORD data;
  };
  struct Setting {
    std::vector<Value> values;
    std::vector<DriverBlockCause> causes;  // as the box names them
  };
  // Memory integrity and Smart App Control enforce the blocklist too; the prefix's Windows
  // is older than 22H2, where a blocklist with no value kept is off.
  const Setting settings[] = {
      {{{L"SYSTEM\\CurrentControlSet\\Control\\DeviceGuard\\Scenarios\\"
         L"HypervisorEnforcedCodeIntegrity",
         L"Enabled", 1}},
       {DriverBlockCause::kMemoryIntegrity, DriverBlockCause::kVulnerableDriverBlocklist}},
      {{{kPolicy, L"EnableVirtualizationBasedSecurity", 1},
        {kPolicy, L"HypervisorEnforcedCodeIntegrity", 2}},
       {DriverBlockCause::kMemoryIntegrity, DriverBlockCause::kVulnerableDriverBlocklist}},
      {{{L"SYSTEM\\CurrentControlSet\\Control\\CI\\Config", L"VulnerableDriverBlocklistEnable", 1}},
       {DriverBlockCause::kVulnerableDriverBlocklist}},
      {{{L"SYSTEM\\CurrentControlSet\\Control\\CI\\Policy", L"VerifiedAndReputablePolicyState", 1}},
       {DriverBlockCause::kVulnerableDriverBlocklist, DriverBlockCause::kSmartAppControl}},
  };
  for (const Setting& setting : settings) {
    for (const Value& value : setting.values) {
      RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, value.key, value.name);  // left by a crashed run
    }
  }
  for (const Setting& setting : settings) {
    std::vector<std::unique_ptr<MachineValue>> on;
    std::wstring expected = L"Power switch unavailable!";
    for (const Value& value : setting.values) {
      on.push_back(std::make_unique<MachineValue>(value.key, value.name, value.data));
      ASSERT_TRUE(on.back()->Set());
    }
    for (DriverBlockCause cause : setting.causes) {
      expected += L"\n\n" + DriverBlockAdvice(cause);
    }
    session.SetText(IDC_VERSION, L"");
    session.Click(IDC_UPDATE);
    HWND box = ExpectBox(session, expected, L"error", false);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(session.Text(IDC_STATUS), L"Power switch unavailable!");
    EXPECT_TRUE(session.Dismiss(box));
    WaitForTailRefresh(session);
  }
  EXPECT_EQ(session.Close(), 0u);
}
