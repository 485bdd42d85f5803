// CFrameDlg's offer once the controller is first found: a saved backup never went back to the
// controller (a transfer was cut off, the window closed after a failure, a restore was
// cancelled), so the window asks once whether to write it back. Yes runs the restore on a
// worker; No declines every pending backup, so that none is offered or written back again
// (a box says when that cannot be written). At start-up, a box names a pending backup that
// is damaged.
#include <string>
#include <vector>

#include "frontends/window/FrameCommandHost.h"
#include "frontends/window/FrameDlg.h"
#include "frontends/window/FrameSequenceView.h"
#include "platform/TimeText.h"
#include "workflows/backups/KeptUnreadText.h"
#include "workflows/backups/PendingBackups.h"
#include "workflows/RestoreSequence.h"
#include "workflows/RunRecording.h"

namespace {

std::wstring WidenAscii(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

// Names each pending backup that is damaged: it may hold the user's configuration, and
// nothing can write it back.
void NoticeDamagedPendingBackups(HWND owner, BackupFolder* backups) {
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

LRESULT CFrameDlg::OnOfferRestore(WPARAM wParam, LPARAM) {
  if (wParam == kNoticeOnly) {
    NoticeDamagedPendingBackups(hwnd, context.backups);
    return 1;
  }
  BackupEntry newest;
  if (IsBusy() || !NewestPendingBackup(context.backups, &newest)) {
    return 1;
  }
  const std::wstring question = L"The configuration saved on " +
                                LocalMinuteText(newest.backup.takenUtcMs) +
                                L" was not written back to the controller.\n\nWrite it back now?";
  if (MessageBoxW(hwnd, question.c_str(), L"warn", MB_YESNO | MB_ICONWARNING) != IDYES) {
    Decline(hwnd, context);  // not asked again
    return 1;
  }
  CFrameCommandHost host(*this, true);
  if (host.IsBusy()) {
    return 1;  // a sequence began while the question was up
  }
  host.SetBusy(true);
  const bool started = StartWorker([this] {
    CFrameSequenceView view(*this);
    // Each block from the newest pending backup that holds it.
    RestoreSequence(link, context, view, ChooseWriteBack(context.backups, run));
  });
  if (!started) {
    host.SetBusy(false);
  }
  return 1;
}
