// The fault matrix. Rows name a step and the faults they cover; a row's expectation is what
// the system must do when that step meets one of those faults. Faults fall in three kinds
// at a request: unanswered (no reply, a reply after the time-out, a short reply: the request
// was taken, its answer is lost), a wrong report length (the request was taken, the device
// takes no further report) and a device that is gone (the request never arrived).
#include "tests/unit/faults/FaultMatrix.h"

namespace {

enum : unsigned {
  kNoReplyBit = 1u << 0,
  kLateBit = 1u << 1,
  kShortBit = 1u << 2,
  kWrongBit = 1u << 3,
  kGoneBit = 1u << 4,
  kNeverBit = 1u << 5,
  kLateBootBit = 1u << 6,
  kSwitchBit = 1u << 7,
};
constexpr unsigned kUnanswered = kNoReplyBit | kLateBit | kShortBit;
// The restore's search for a controller that is not there: its 10 s open time-out, ending at
// the first attempt after it.
constexpr uint32_t kSearchMs = 10220;
constexpr unsigned kTaken = kUnanswered | kWrongBit;

const Injected kEveryFault[] = {Injected::kNoReply,     Injected::kLateReply,
                                Injected::kShortReply,  Injected::kWrongReportLength,
                                Injected::kDeviceGone,  Injected::kNeverAppears,
                                Injected::kAppearsLate, Injected::kSwitchUnavailable};

unsigned Bit(Injected fault) {
  return 1u << static_cast<unsigned>(fault);
}

// The texts of the status line.
const std::wstring kBackup = L"Backup config.....";
const std::wstring kButtonBackupFailed = L"Backup button config failed!";
const std::wstring kGlobalBackupFailed = L"Backup global config failed!";
const std::wstring kReady = L"Ready, please wait...";
const std::wstring kPowerOff = L"Power off.....";
const std::wstring kPowerOn = L"Power on.....";
const std::wstring kRecovery = L"Recovery config.....";
const std::wstring kGlobalRestore = L"Recovery global config...";
const std::wstring kGlobalOk = L"Recovery global ok";
const std::wstring kGlobalFailed = L"Recovery global failed";
const std::wstring kButtonRestore = L"Recovery button config...";
const std::wstring kButtonsOk = L"Recovery config ok!";
const std::wstring kButtonsFailed = L"Recovery config failed";
const std::wstring kVersion = L"Get current version...";
const std::wstring kSave = L"Save config...";
const std::wstring kMode = L"Recovery mode: 7";
const std::wstring kModeOk = L"Recovery mode ok";
const std::wstring kModeFailed = L"Recovery mode failed!";
const std::wstring kSuccess = L"Upgrade success";
const std::wstring kFailure = L"Upgrade failed!";
const std::wstring kPrompt = L"Please release the HOME button";
const std::wstring kFound = L"Initialize ok\uFF0CYou can force an upgrade now\uFF01";
const std::wstring kSwitchUnavailable = L"Power switch unavailable!";

// The restore as far as it gets, then the outcome.
const Lines kRestoreUpToSave{kRecovery,  kGlobalRestore, kGlobalOk, kButtonRestore,
                             kButtonsOk, kVersion,       kSave};
const Lines kAllRestored = Join({kRestoreUpToSave, {kMode, kModeOk, kSuccess}});
const Lines kGlobalRestoreFails{kRecovery, kGlobalRestore, kGlobalFailed, kSuccess};
const Lines kButtonRestoreFails{kRecovery,      kGlobalRestore, kGlobalOk,
                                kButtonRestore, kButtonsFailed, kSuccess};
const Lines kVersionReadFails{kRecovery,  kGlobalRestore, kGlobalOk, kButtonRestore,
                              kButtonsOk, kVersion,       kSuccess};
const Lines kModeFails = Join({kRestoreUpToSave, {kMode, kModeFailed, kSuccess}});

// Status texts of a transfer that got through, followed by `restore`.
Lines Transferred(Sequence sequence, const Lines& restore) {
  const Lines head = sequence == Sequence::kUpgrade ? Lines{kBackup, kReady} : Lines{kReady};
  return Join({head, {kPowerOff, kPowerOn}, restore});
}

Lines TransferFails(Sequence sequence) {
  return sequence == Sequence::kUpgrade ? Lines{kBackup, kReady, kFailure}
                                        : Lines{kReady, kFailure};
}

// Requests up to the transfer (the forced upgrade starts at the data packets), then `more`.
std::string Sent(Sequence sequence, const std::string& more) {
  std::string head = sequence == Sequence::kUpgrade ? "06x33 08 01" : "";
  if (head.empty() || more.empty()) {
    return head + more;
  }
  return head + " " + more;
}

std::string AfterTransfer(Sequence sequence, const std::string& restore) {
  return Sent(sequence, restore.empty() ? "02x21 03" : "02x21 03 " + restore);
}

constexpr Restored kNothing{};
constexpr Restored kGlobalOnly{true, false, false};
constexpr Restored kBlocks{true, true, false};
constexpr Restored kEverything{true, true, true};

struct Row {
  Sequence sequence;
  DeviceStep step;
  unsigned faults;
  Expectation expect;
};

Expectation Upgraded(Sequence sequence, const Lines& restore, const std::string& requests,
                     Restored restored, uint32_t extraWaitMs = 0) {
  return {Transferred(sequence, restore),
          Ending::kSuccess,
          requests,
          restored,
          true,
          true,
          extraWaitMs};
}

// The image is across, but not everything saved went back: the success carries a warning.
Expectation Warned(Sequence sequence, const Lines& restore, const std::string& requests,
                   Restored restored, uint32_t extraWaitMs = 0) {
  Expectation e = Upgraded(sequence, restore, requests, restored, extraWaitMs);
  e.ending = Ending::kWarned;
  return e;
}

Expectation Failed(const Lines& statuses, const std::string& requests, bool buttons = true,
                   bool global = true, uint32_t extraWaitMs = 0) {
  return {statuses, Ending::kFailure, requests, kNothing, buttons, global, extraWaitMs};
}

// The power switch check failed: nothing reached the controller. A forced upgrade still
// holds the copies of the Initialize before it.
Expectation Refused(Sequence sequence) {
  const bool copies = sequence == Sequence::kForcedUpgrade;
  return {{kSwitchUnavailable}, Ending::kRefused, "", kNothing, copies, copies, 0};
}

// The rows of the data packets and the end packet, shared by both upgrades.
void AddTransferRows(Sequence s, std::vector<Row>& rows) {
  const Lines fails = TransferFails(s);
  // A failed data packet is followed by the end packet, which a device with a wrong report
  // length or a vanished device no longer takes.
  rows.push_back({s, DeviceStep::kFirstPacket, kUnanswered, Failed(fails, Sent(s, "02 03"))});
  rows.push_back({s, DeviceStep::kFirstPacket, kWrongBit, Failed(fails, Sent(s, "02"))});
  rows.push_back({s, DeviceStep::kFirstPacket, kGoneBit, Failed(fails, Sent(s, ""))});
  rows.push_back({s, DeviceStep::kMiddlePacket, kUnanswered, Failed(fails, Sent(s, "02x11 03"))});
  rows.push_back({s, DeviceStep::kMiddlePacket, kWrongBit, Failed(fails, Sent(s, "02x11"))});
  rows.push_back({s, DeviceStep::kMiddlePacket, kGoneBit, Failed(fails, Sent(s, "02x10"))});
  rows.push_back({s, DeviceStep::kLastPacket, kUnanswered, Failed(fails, Sent(s, "02x21 03"))});
  rows.push_back({s, DeviceStep::kLastPacket, kWrongBit, Failed(fails, Sent(s, "02x21"))});
  rows.push_back({s, DeviceStep::kLastPacket, kGoneBit, Failed(fails, Sent(s, "02x20"))});
  rows.push_back({s, DeviceStep::kEndPacket, kTaken, Failed(fails, Sent(s, "02x21 03"))});
  rows.push_back({s, DeviceStep::kEndPacket, kGoneBit, Failed(fails, Sent(s, "02x21"))});
}

// The rows of the steps after the transfer, shared by both upgrades.
void AddRestoreRows(Sequence s, std::vector<Row>& rows) {
  // A restore write whose answer is lost is sent again (the controller opened afresh): the
  // second try brings everything back. A device that takes no more reports, or has gone,
  // fails all three tries; once the image is across, a failing restore step ends the restore
  // but not the success, which then says that the configuration could not be restored. A
  // gone controller costs each later try its open's 10 s search.
  rows.push_back({s, DeviceStep::kGlobalRestore, kUnanswered,
                  Upgraded(s, kAllRestored, AfterTransfer(s, "09x2 07x33 08 05 0A"), kEverything)});
  rows.push_back({s, DeviceStep::kGlobalRestore, kWrongBit,
                  Warned(s, kGlobalRestoreFails, AfterTransfer(s, "09"), kNothing)});
  rows.push_back({s, DeviceStep::kGlobalRestore, kGoneBit,
                  Warned(s, kGlobalRestoreFails, AfterTransfer(s, ""), kNothing, 2 * kSearchMs)});
  rows.push_back({s, DeviceStep::kButtonRestore, kUnanswered,
                  Upgraded(s, kAllRestored, AfterTransfer(s, "09 07x50 08 05 0A"), kEverything)});
  rows.push_back({s, DeviceStep::kButtonRestore, kWrongBit,
                  Warned(s, kButtonRestoreFails, AfterTransfer(s, "09 07x17"), kGlobalOnly)});
  rows.push_back(
      {s, DeviceStep::kButtonRestore, kGoneBit,
       Warned(s, kButtonRestoreFails, AfterTransfer(s, "09 07x16"), kGlobalOnly, 2 * kSearchMs)});
  rows.push_back({s, DeviceStep::kVersionRead, kTaken,
                  Warned(s, kVersionReadFails, AfterTransfer(s, "09 07x33 08"), kBlocks)});
  rows.push_back({s, DeviceStep::kVersionRead, kGoneBit,
                  Warned(s, kVersionReadFails, AfterTransfer(s, "09 07x33"), kBlocks)});
  // The save's answer is not waited on for anything: an unanswered save changes nothing.
  rows.push_back({s, DeviceStep::kSave, kUnanswered,
                  Upgraded(s, kAllRestored, AfterTransfer(s, "09 07x33 08 05 0A"), kEverything)});
  rows.push_back({s, DeviceStep::kSave, kWrongBit,
                  Warned(s, kModeFails, AfterTransfer(s, "09 07x33 08 05"), kBlocks)});
  // Each of the mode request's three tries then searches its 1 s for a controller that is
  // not there (five tries, each pause ending at the first 20 ms step past its 200 ms).
  rows.push_back({s, DeviceStep::kSave, kGoneBit,
                  Warned(s, kModeFails, AfterTransfer(s, "09 07x33 08"), kBlocks, 3 * 1100)});
  rows.push_back({s, DeviceStep::kMode, kUnanswered,
                  Upgraded(s, kAllRestored, AfterTransfer(s, "09 07x33 08 05 0Ax2"), kEverything)});
  rows.push_back({s, DeviceStep::kMode, kWrongBit,
                  Warned(s, kModeFails, AfterTransfer(s, "09 07x33 08 05 0A"), kBlocks)});
  rows.push_back({s, DeviceStep::kMode, kGoneBit,
                  Warned(s, kModeFails, AfterTransfer(s, "09 07x33 08 05"), kBlocks, 2 * 1100)});
}

void AddUpgradeRows(std::vector<Row>& rows) {
  const Sequence s = Sequence::kUpgrade;
  const Lines buttonsFail{kBackup, kButtonBackupFailed, kFailure};
  const Lines globalFails{kBackup, kGlobalBackupFailed, kFailure};
  // A failed backup ends the upgrade before anything is sent: the controller is untouched.
  // A backup that fails part-way keeps nothing of what it read.
  rows.push_back({s, DeviceStep::kPowerCheck, kSwitchBit, Refused(s)});
  rows.push_back(
      {s, DeviceStep::kButtonBackup, kTaken, Failed(buttonsFail, "06x17", false, false)});
  rows.push_back(
      {s, DeviceStep::kButtonBackup, kGoneBit, Failed(buttonsFail, "06x16", false, false)});
  rows.push_back(
      {s, DeviceStep::kGlobalBackup, kTaken, Failed(globalFails, "06x33 08", true, false)});
  rows.push_back(
      {s, DeviceStep::kGlobalBackup, kGoneBit, Failed(globalFails, "06x33", true, false)});
  // The restart request's answer is not needed: the controller restarts all the same.
  rows.push_back({s, DeviceStep::kEnterPacket, kUnanswered,
                  Upgraded(s, kAllRestored, AfterTransfer(s, "09 07x33 08 05 0A"), kEverything)});
  // The controller comes back still reporting the wrong length: nothing can be restored.
  rows.push_back({s, DeviceStep::kEnterPacket, kWrongBit,
                  Warned(s, kGlobalRestoreFails, AfterTransfer(s, ""), kNothing)});
  // Gone instead of restarting: the boot loader never comes, after its 10 s wait.
  rows.push_back({s, DeviceStep::kEnterPacket, kGoneBit,
                  Failed(TransferFails(s), "06x33 08", true, true, 10000)});
  rows.push_back({s, DeviceStep::kBootLoaderWait, kNeverBit | kLateBootBit,
                  Failed(TransferFails(s), "06x33 08 01")});
  AddTransferRows(s, rows);
  AddRestoreRows(s, rows);
  // A switch that stops working after the check leaves the controller in its boot loader:
  // each of the global write's three 10 s searches for it finds nothing, but the image is
  // across.
  rows.push_back({s, DeviceStep::kPowerCycle, kSwitchBit,
                  Warned(s, kGlobalRestoreFails, AfterTransfer(s, ""), kNothing, 2 * kSearchMs)});
}

void AddInitializeRows(std::vector<Row>& rows) {
  const Sequence s = Sequence::kInitialize;
  const Lines tail{kPowerOff, kPowerOn, kPrompt, kFound};
  auto found = [&](Lines head, const std::string& requests, bool buttons, bool global,
                   uint32_t extra) {
    return Expectation{
        Join({head, tail}), Ending::kForceUpdateReady, requests, kNothing, buttons, global, extra};
  };
  rows.push_back({s, DeviceStep::kPowerCheck, kSwitchBit, Refused(s)});
  // A backup that fails never stops Initialize; a controller that took a wrong length or
  // vanished cannot give the global block either.
  rows.push_back({s, DeviceStep::kButtonBackup, kUnanswered,
                  found({kBackup, kButtonBackupFailed}, "06x17 08", false, true, 0)});
  rows.push_back(
      {s, DeviceStep::kButtonBackup, kWrongBit,
       found({kBackup, kButtonBackupFailed, kGlobalBackupFailed}, "06x17", false, false, 0)});
  rows.push_back(
      {s, DeviceStep::kButtonBackup, kGoneBit,
       found({kBackup, kButtonBackupFailed, kGlobalBackupFailed}, "06x16", false, false, 1100)});
  rows.push_back({s, DeviceStep::kGlobalBackup, kTaken,
                  found({kBackup, kGlobalBackupFailed}, "06x33 08", true, false, 0)});
  rows.push_back({s, DeviceStep::kGlobalBackup, kGoneBit,
                  found({kBackup, kGlobalBackupFailed}, "06x33", true, false, 0)});
  // Fifteen scans a second apart instead of one.
  const Expectation timedOut{{kBackup, kPowerOff, kPowerOn, kPrompt},
                             Ending::kWaitTimedOut,
                             "06x33 08",
                             kNothing,
                             true,
                             true,
                             14000};
  rows.push_back({s, DeviceStep::kBootLoaderWait, kNeverBit, timedOut});
  rows.push_back({s, DeviceStep::kPowerCycle, kSwitchBit, timedOut});
}

// The documented time-outs that a fault costs by itself: a lost answer one report time-out;
// a late one may hold up the next read too, until it arrives; in an upgrade, a boot loader
// that does not come its whole wait, and a controller left off the restore's 10 s search.
// (Initialize's rows give their own wait; a refused sequence waits for nothing.)
uint32_t OwnWaitMs(Sequence sequence, DeviceStep step, Injected fault) {
  if (step == DeviceStep::kPowerCheck) {
    return 0;
  }
  switch (fault) {
    case Injected::kNoReply:
      return 10000;
    case Injected::kLateReply:
      return 20000;
    case Injected::kNeverAppears:
    case Injected::kAppearsLate:
    case Injected::kSwitchUnavailable:
      return sequence == Sequence::kInitialize ? 0 : 10000;
    default:
      return 0;
  }
}

std::vector<FaultCase> Expand(const std::vector<Row>& rows) {
  std::vector<FaultCase> cases;
  for (const Row& row : rows) {
    for (Injected fault : kEveryFault) {
      if ((row.faults & Bit(fault)) == 0) {
        continue;
      }
      FaultCase one{row.sequence, row.step, fault, row.expect};
      one.expect.extraWaitMs += OwnWaitMs(row.sequence, row.step, fault);
      cases.push_back(one);
    }
  }
  return cases;
}

}  // namespace

const std::vector<FaultCase>& FaultCases() {
  static const std::vector<FaultCase> cases = [] {
    std::vector<Row> rows;
    AddUpgradeRows(rows);
    rows.push_back({Sequence::kForcedUpgrade, DeviceStep::kPowerCheck, kSwitchBit,
                    Refused(Sequence::kForcedUpgrade)});
    AddTransferRows(Sequence::kForcedUpgrade, rows);
    AddRestoreRows(Sequence::kForcedUpgrade, rows);
    AddInitializeRows(rows);
    return Expand(rows);
  }();
  return cases;
}

Expectation FaultFree(Sequence sequence) {
  if (sequence == Sequence::kInitialize) {
    return {{kBackup, kPowerOff, kPowerOn, kPrompt, kFound},
            Ending::kForceUpdateReady,
            "06x33 08",
            kNothing,
            true,
            true,
            0};
  }
  return Upgraded(sequence, kAllRestored, AfterTransfer(sequence, "09 07x33 08 05 0A"),
                  kEverything);
}
