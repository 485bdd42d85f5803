// What the main window does at each event of a sequence, written once over the window's own
// operations so that it needs no <windows.h>: the product's view does them on the real
// window, the race tests' model of the window on theirs.
//
//  - An upgrade, a forced upgrade or a restore: at its start the boxes its thread shows are
//    centred on the window, and Select, Refresh and its own button are disabled (Refresh for
//    the whole run: its version read would wait for the device held by the transfer, while
//    the transfer's progress waits for the window). At its end the box placement goes, the
//    window is free again, the three buttons come back and the version is read again.
//  - Initialize: the window is free once the flash (the power cycle) is over, or at the end
//    when it never began; at the end Initialize comes back unless the boot loader was found or
//    the window is closing.
//  - Device work keeps the system awake; for all but Initialize it also holds off the end of
//    the session. A failed Update grows the window to show the recovery and enables
//    Initialize; the boot loader found enables Force update; a forced upgrade's success keeps
//    Force update off while its box is up.
#pragma once

#include <cstdint>

#include "workflows/SequenceView.h"

class WindowSequenceView : public SequenceView {
 public:
  void SequenceStarted(SequenceKind kind) final;
  void SequenceEnded(SequenceKind kind) final;
  void Notify(SequenceEvent event) final;

 protected:
  // The window's operations, from the sequence's thread.
  virtual void EnableControl(uint16_t id, bool enabled) = 0;
  // Gives the window back the full size and place it had at start-up, then centres it.
  virtual void GrowToFullAndCenter() = 0;
  // Lets the window start another sequence; `upgrade` also lets it close again.
  virtual void ClearBusy(bool upgrade) = 0;
  // Has the window read the version line again, on its own thread.
  virtual void PostRefresh() = 0;
  // Centres the message boxes that this thread shows over the window while set.
  virtual void PlaceMessageBoxes(bool placed) = 0;
  // Keeps the system awake while set; with `holdShutdown` the session may not end either.
  virtual void KeepAwake(bool held, bool holdShutdown) = 0;

 private:
  bool Upgrade() const { return kind_ != SequenceKind::kInitialize; }
  void FreeOnce();

  SequenceKind kind_ = SequenceKind::kUpgrade;
  bool freed_ = false;  // the busy mark was cleared
  bool found_ = false;  // Initialize found the boot loader
};
