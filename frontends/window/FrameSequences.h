// The main window's update sequences: Update, Force update and Initialize, each started on a
// worker thread over the window's controller link, its run context and this run's state; and
// the offer, once the controller is first found, to write back a saved backup that never went
// back to it (a transfer was cut off, the window closed after a failure, a restore was
// cancelled).
// Window thread only; see CFrameDlg for the rules of a handler that starts a worker.
#pragma once

#include <windows.h>

#include "device/win/ProductVexapad.h"
#include "workflows/RunContext.h"
#include "workflows/RunState.h"

class MainWindow;

class CFrameSequences {
 public:
  CFrameSequences(MainWindow& window, const RunContext& context, CVexapad& link)
      : window_(window), context_(context), link_(link) {}

  // The buttons, `id` the one pressed.
  void Upgrade(WORD id);
  void ForceUpgrade(WORD id);
  void Initialize();
  // Asks once whether to write back the newest saved backup, when it never went back. Yes
  // runs the restore on a worker; No declines every pending backup, so that none is offered
  // or written back again (a box says when that cannot be written).
  void OfferRestore();
  // At start-up: a box names each pending backup that is damaged (it cannot be written back,
  // and is never taken for absent).
  void NoticeDamagedPendingBackups();

 private:
  MainWindow& window_;
  const RunContext& context_;
  CVexapad& link_;
  // This run's configuration copies, read and used by one sequence at a time (the busy mark).
  RunState run_;
};
