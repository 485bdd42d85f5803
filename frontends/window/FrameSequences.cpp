// The main window's update sequences (see FrameSequences.h).
#include "frontends/window/FrameSequences.h"

#include <string>
#include <vector>

#include "device/win/HidDevice.h"
#include "frontends/window/CommandStart.h"
#include "frontends/window/FrameCommandHost.h"
#include "frontends/window/FrameSequenceView.h"
#include "frontends/window/MainWindow.h"
#include "platform/TimeText.h"
#include "ui/DialogBase.h"
#include "workflows/ForceUpgradeSequence.h"
#include "workflows/InitializeSequence.h"
#include "workflows/backups/KeptUnreadText.h"
#include "workflows/backups/PendingBackups.h"
#include "workflows/RestoreSequence.h"
#include "workflows/RunRecording.h"
#include "workflows/UpgradeSequence.h"

namespace {

std::wstring WidenAscii(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

// Names each pending backup that is damaged: it may hold the user's configuration, and
// nothing can write it back.
void NoticeDamaged(HWND owner, BackupFolder* backups) {
  const std::vector<BackupEntry> damaged = DamagedPendingBackups(backups);
  if (damaged.empty()) {
    return;
  }
  std::wstring text =
      L"A saved configuration that was not written back is damaged; it cannot "
      L"be written back:\n";
  for (const BackupEntry& entry : damaged) {
    text += L"\n" + WidenAscii(entry.name) + L": " + KeptUnreadText(entry);
  }
  MessageBoxW(owner, text.c_str(), L"warn", MB_OK | MB_ICONWARNING);
}

// No: every pending backup declined, and said when one could not be, as it is offered again.
void Decline(HWND owner, const RunContext& context) {
  std::vector<BackupEntry> declined;
  std::vector<BackupEntry> notDeclined;
  const bool all = DeclinePendingBackups(context.backups, &declined, &notDeclined);
  RunRecorder recorder(context, kWindowFrontEnd, PADWRIGHT_VERSION_TEXT);
  RecordDecline(&recorder, declined.size(), all);
  if (all) {
    return;
  }
  std::wstring text =
      L"The saved configuration could not be marked declined; it will be "
      L"offered again.";
  for (const BackupEntry& entry : notDeclined) {
    text += L"\n\n" + WidenAscii(entry.name) +
            (entry.reason.empty() ? L"" : L" (" + entry.reason + L")");
  }
  MessageBoxW(owner, text.c_str(), L"error", MB_OK | MB_ICONERROR);
}

}  // namespace

void CFrameSequences::Upgrade(WORD id) {
  CFrameCommandHost host(window_, true);
  StartUpgradeCommand(host, id, [this](const std::wstring& path) {
    CFrameSequenceView view(window_);
    UpgradeSequence(link_, context_, view, run_, path);
  });
}

void CFrameSequences::ForceUpgrade(WORD id) {
  CFrameCommandHost host(window_, true);
  StartUpgradeCommand(host, id, [this](const std::wstring& path) {
    CFrameSequenceView view(window_);
    ForceUpgradeSequence(link_, context_, view, run_, path);
  });
}

void CFrameSequences::Initialize() {
  CFrameCommandHost host(window_, false);
  StartInitializeCommand(host, [this] {
    CFrameSequenceView view(window_);
    // Its own transport, only for the presence scans: the controller link stays free.
    InitializeSequence(link_, context_, view, run_, [] { return CHidDevice(); });
  });
}

void CFrameSequences::NoticeDamagedPendingBackups() {
  NoticeDamaged(window_.Dialog().hwnd, context_.backups);
}

void CFrameSequences::OfferRestore() {
  BackupEntry newest;
  if (window_.IsBusy() || !NewestPendingBackup(context_.backups, &newest)) {
    return;
  }
  HWND owner = window_.Dialog().hwnd;
  const std::wstring question = L"The configuration saved on " +
                                LocalMinuteText(newest.backup.takenUtcMs) +
                                L" was not written back to the controller.\n\nWrite it back now?";
  if (MessageBoxW(owner, question.c_str(), L"warn", MB_YESNO | MB_ICONWARNING) != IDYES) {
    Decline(owner, context_);  // not asked again
    return;
  }
  CFrameCommandHost host(window_, true);
  if (host.IsBusy()) {
    return;  // a sequence began while the question was up
  }
  host.SetBusy(true);
  const bool started = window_.StartWorker([this] {
    CFrameSequenceView view(window_);
    // Each block from the newest pending backup that holds it.
    RestoreSequence(link_, context_, view, ChooseWriteBack(context_.backups, run_));
  });
  if (!started) {
    host.SetBusy(false);
  }
}
