// Holding off a shutdown or restart while an upgrade works on the controller: the end of the
// session is refused then (a shutdown block reason is held and WM_QUERYENDSESSION is answered
// FALSE). A worker changes the hold; the window thread, which alone may take or give up the
// block reason, follows it.
#pragma once

#include <windows.h>

#include <atomic>

class CDialogBase;

class CShutdownHold {
 public:
  // `followMessage`: sent to the window for it to follow a change (Follow).
  CShutdownHold(CDialogBase& dialog, UINT followMessage);

  // Worker thread: the end of the session is refused while held; the window thread follows
  // the change before this returns.
  void Hold(bool held);
  // True while held: the session may not end.
  bool Held() const { return held_; }
  // Window thread: takes the block reason while held and gives it up once it is not.
  void Follow();

 private:
  CDialogBase& dialog_;
  UINT followMessage_;
  std::atomic<bool> held_{false};
  // Window thread only: the shutdown block reason is held.
  bool blocked_ = false;
};
