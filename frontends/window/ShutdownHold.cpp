// Holding off a shutdown or restart while an upgrade runs (see ShutdownHold.h).
#include "frontends/window/ShutdownHold.h"

#include "ui/DialogBase.h"

namespace {

// What Windows shows the user beside the program's name when it holds up the shutdown.
constexpr wchar_t kShutdownBlockReason[] =
    L"Updating the controller firmware. Do not turn off the device.";

}  // namespace

CShutdownHold::CShutdownHold(CDialogBase& dialog, UINT followMessage)
    : dialog_(dialog), followMessage_(followMessage) {}

void CShutdownHold::Hold(bool held) {
  held_ = held;
  // The block belongs to the window thread, which takes or gives it up.
  SendMessageW(dialog_.hwnd, followMessage_, 0, 0);
}

void CShutdownHold::Follow() {
  HWND window = dialog_.hwnd;
  if (window == nullptr) {
    return;
  }
  // Reads the flag as it is now, so a late notice from an ended upgrade cannot drop the
  // block that a next upgrade has just taken.
  bool running = held_;
  if (running && !blocked_) {
    blocked_ = ShutdownBlockReasonCreate(window, kShutdownBlockReason) != FALSE;
  } else if (!running && blocked_) {
    ShutdownBlockReasonDestroy(window);
    blocked_ = false;
  }
}
