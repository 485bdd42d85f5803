// CFrameDlg's offer at start-up: the newest saved backup never went back to the controller
// (a transfer was cut off, the window closed after a failure, a restore was cancelled), so
// the window asks once whether to write it back, and on Yes runs the restore on a worker.
#include <string>

#include "device/win/ProductVexapad.h"
#include "frontends/window/FrameCommandHost.h"
#include "frontends/window/FrameDlg.h"
#include "frontends/window/FrameSequenceView.h"
#include "platform/TimeText.h"
#include "workflows/BackupStore.h"
#include "workflows/RestoreSequence.h"

LRESULT CFrameDlg::OnOfferRestore(WPARAM, LPARAM) {
  BackupEntry newest;
  if (IsBusy() || !NewestSoundBackup(&newest) || newest.backup.state != BackupState::kPending) {
    return 1;
  }
  const std::wstring question = L"The configuration saved on " +
                                LocalMinuteText(newest.backup.takenUtcMs) +
                                L" was not written back to the controller.\n\nWrite it back now?";
  if (MessageBoxW(hwnd, question.c_str(), L"warn", MB_YESNO | MB_ICONWARNING) != IDYES) {
    SetBackupState(newest.name, BackupState::kDeclined);  // not asked again
    return 1;
  }
  CFrameCommandHost host(*this, true);
  if (host.IsBusy()) {
    return 1;  // a sequence began while the question was up
  }
  host.SetBusy(true);
  const bool started = StartWorker([this, newest] {
    CFrameSequenceView view(*this);
    RestoreSequence(vexapad, view, newest.name, newest.backup);
  });
  if (!started) {
    host.SetBusy(false);
  }
  return 1;
}
