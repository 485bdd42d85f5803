// CFrameDlg: holding off a shutdown or restart while an upgrade runs.
#include "frontends/window/FrameDlg.h"

#include "ui/MessageMap.h"

namespace {

// What Windows shows the user beside the program's name when it holds up the shutdown.
constexpr wchar_t kShutdownBlockReason[] =
    L"Updating the controller firmware. Do not turn off the device.";

}  // namespace

LRESULT CFrameDlg::OnQueryEndSession(WPARAM, LPARAM) {
  // A plain 0 would mean "not handled" and let the dialog manager answer TRUE.
  return shutdownHeld ? kResultFalse : TRUE;
}

void CFrameDlg::HoldShutdown(bool held) {
  shutdownHeld = held;
  // The block belongs to the window thread, which takes or gives it up.
  SendMessageW(hwnd, kShutdownHoldMessage, 0, 0);
}

LRESULT CFrameDlg::OnShutdownHold(WPARAM, LPARAM) {
  FollowShutdownHold();
  return 1;
}

void CFrameDlg::FollowShutdownHold() {
  HWND window = hwnd;
  if (window == nullptr) {
    return;
  }
  // Reads the flag as it is now, so a late notice from an ended upgrade cannot drop the
  // block that a next upgrade has just taken.
  bool running = shutdownHeld;
  if (running && !shutdownBlocked) {
    shutdownBlocked = ShutdownBlockReasonCreate(window, kShutdownBlockReason) != FALSE;
  } else if (!running && shutdownBlocked) {
    ShutdownBlockReasonDestroy(window);
    shutdownBlocked = false;
  }
}
