// The main window's worker threads (see FrameWorkers.h).
#include "frontends/window/FrameWorkers.h"

#include <windows.h>

#include <system_error>
#include <thread>
#include <utility>

bool CFrameWorkers::Start(std::function<void()> body) {
  if (!registry_.Enter()) {
    return false;
  }
  try {
    std::thread([this, body = std::move(body)] {
      body();
      registry_.Leave();
    }).detach();
  } catch (const std::system_error&) {
    // std::thread reports a thread that cannot be created by throwing; nothing started.
    registry_.Leave();
    return false;
  }
  return true;
}

bool CFrameWorkers::StopRequested() const {
  return registry_.StopRequested();
}

void CFrameWorkers::RequestStop() {
  registry_.RequestStop();
}

void CFrameWorkers::WaitUntilDone(const std::function<void()>& whileWaiting) {
  registry_.RequestStop();
  while (!registry_.WaitUntilIdle(0)) {
    whileWaiting();
    // A worker may be inside a call to a window of this thread: serve it.
    MSG msg = {};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}
