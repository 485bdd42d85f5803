// CFrameDlg's offer once the controller is first found: a saved backup never went back to the
// controller (a transfer was cut off, the window closed after a failure, a restore was
// cancelled), so the window asks once whether to write it back. Yes runs the restore on a
// worker; No declines every pending backup, so that none is offered or written back again.
#include <string>
#include <vector>

#include "device/win/ProductVexapad.h"
#include "frontends/window/FrameCommandHost.h"
#include "frontends/window/FrameDlg.h"
#include "frontends/window/FrameSequenceView.h"
#include "platform/TimeText.h"
#include "workflows/PendingBackups.h"
#include "workflows/RestoreSequence.h"
#include "workflows/RunRecording.h"

LRESULT CFrameDlg::OnOfferRestore(WPARAM, LPARAM) {
  BackupEntry newest;
  if (IsBusy() || !NewestPendingBackup(&newest)) {
    return 1;
  }
  const std::wstring question = L"The configuration saved on " +
                                LocalMinuteText(newest.backup.takenUtcMs) +
                                L" was not written back to the controller.\n\nWrite it back now?";
  if (MessageBoxW(hwnd, question.c_str(), L"warn", MB_YESNO | MB_ICONWARNING) != IDYES) {
    std::vector<BackupEntry> declined;
    const bool all = DeclinePendingBackups(&declined);  // not asked again
    RunRecorder recorder(kWindowFrontEnd, PADWRIGHT_VERSION_TEXT);
    RecordDecline(&recorder, declined.size(), all);
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
    RestoreSequence(vexapad, view, ChooseWriteBack(run));
  });
  if (!started) {
    host.SetBusy(false);
  }
  return 1;
}
