// CFrameDlg: starting worker threads and outliving them.
#include "frontends/window/FrameDlg.h"

#include <system_error>
#include <thread>
#include <utility>

bool CFrameDlg::StartWorker(std::function<void()> body) {
  if (!workers.Enter()) {
    return false;
  }
  try {
    std::thread([this, body = std::move(body)] {
      body();
      workers.Leave();
    }).detach();
  } catch (const std::system_error&) {
    // std::thread reports a thread that cannot be created by throwing; nothing started.
    workers.Leave();
    return false;
  }
  return true;
}

bool CFrameDlg::CloseRequested() const {
  return workers.StopRequested();
}

void CFrameDlg::WaitForWorkers() {
  workers.RequestStop();
  while (!workers.WaitUntilIdle(0)) {
    CancelSelectDialog();
    // A worker may be inside a call to a window of this thread: serve it.
    MSG msg = {};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}
