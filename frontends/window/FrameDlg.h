// CFrameDlg: the tool's main window (dialog IDD_MAIN): its message map, and the wiring of its
// parts: the layout at each scale (CFrameLayout), the workers (CFrameWorkers), the firmware
// selection (CFirmwareSelection), the shutdown hold (CShutdownHold) and the update sequences
// (CFrameSequences, which hold this run's state). It owns what the window thread shares
// with the worker threads: the busy marks and the progress bar, and it keeps the window
// object alive until every worker that may touch it has finished.
//
// Rules for a handler that starts a worker (Select, Update, Force update, Initialize and the
// start-up restore):
//  - on the window thread: refuse while busy, SetBusy(true, ...), then StartWorker(body);
//    if StartWorker returns false nothing runs and the handler undoes what it set;
//  - `body` runs on a detached thread; once it returns the worker must not touch this object
//    (StartWorker's wrapper then tells the window that the worker is gone);
//  - an upgrade, a forced upgrade or the start-up restore is marked busy with `upgrade` set,
//    and its worker clears both marks together at its end: while the upgrade mark is set
//    closing the window is refused, because an interrupted transfer can leave the controller
//    without firmware;
//  - while such a worker works on the controller (not while its outcome box waits) it holds
//    the shutdown (HoldShutdown): the end of the session is refused then (a shutdown block
//    reason is held and WM_QUERYENDSESSION is answered FALSE);
//  - any other long wait polls CloseRequested() (at least once a second) and ends early,
//    without touching the window, once it is true. Steps that must not be cut short (a power
//    cycle) simply run to their end: the process waits for them.
// A worker's calls to the window after it has closed fail harmlessly (the handle is null or
// destroyed), so a worker need not test CloseRequested() before each one.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "device/win/ProductVexapad.h"
#include "frontends/window/FirmwareSelection.h"
#include "frontends/window/FrameLayout.h"
#include "frontends/window/FrameSequences.h"
#include "frontends/window/FrameWorkers.h"
#include "frontends/window/MainWindow.h"
#include "frontends/window/ShutdownHold.h"
#include "ui/DialogBase.h"
#include "workflows/RunContext.h"
#include "workflows/VersionLine.h"

class CFrameDlg : public CDialogBase, public MainWindow {
 public:
  // Sent by the Select worker to the window thread: wParam nonzero when a file was chosen,
  // lParam the const std::wstring* of its path. The window thread takes it into the path.
  static constexpr UINT kFileChosenMessage = WM_APP + 1;
  // Sent by an upgrade worker once it has changed the shutdown hold: the window thread takes
  // or gives up the shutdown block reason.
  static constexpr UINT kShutdownHoldMessage = WM_APP + 2;
  // Posted after the run's first version read that found the controller in normal mode: the
  // window thread offers to write back a saved backup that never went back. Posted once at
  // start-up too, with wParam kNoticeOnly: then it only names a pending backup that is
  // damaged (it cannot be written back, and is never taken for absent).
  static constexpr UINT kOfferRestoreMessage = WM_APP + 3;
  static constexpr WPARAM kNoticeOnly = 1;
  // Sent by a failed upgrade's worker: the window grows to its full size (OnGrowToFull).
  static constexpr UINT kGrowToFullMessage = WM_APP + 4;
  // Posted to itself on a change of scale, to size the window once the dialog manager has
  // laid the controls out anew (OnDpiLayout).
  static constexpr UINT kDpiLayoutMessage = WM_APP + 5;

  // `context` and `link` are the run's (the composition root's) and outlive the window.
  CFrameDlg(const RunContext& context, CVexapad& link);
  // Waits for the workers (WaitForWorkers) before anything of the object goes away.
  ~CFrameDlg();
  // A text for the status line once the window shows (a backup folder that was set aside);
  // before RunModal.
  void SetStartNotice(std::wstring notice) { startNotice = std::move(notice); }

  const MessageMap* GetMessageMap() const override;
  static const MessageMap* ClassMessageMap();
  // Swallows Escape: a multi-line edit (the path box) answers it by closing its dialog.
  BOOL PreTranslate(MSG* msg) override;

  // Window-thread handlers.
  LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam);
  LRESULT OnRefresh(WORD code, WORD id, HWND control, WORD firstId, WORD lastId);
  LRESULT OnSelect(WORD code, WORD id, HWND control, WORD firstId, WORD lastId);
  // Update, Force update and Initialize (CFrameSequences).
  LRESULT OnUpgrade(WORD code, WORD id, HWND control, WORD firstId, WORD lastId);
  LRESULT OnForceUpgrade(WORD code, WORD id, HWND control, WORD firstId, WORD lastId);
  LRESULT OnInitialize(WORD code, WORD id, HWND control, WORD firstId, WORD lastId);
  LRESULT OnFileChosen(WPARAM chosen, LPARAM path);
  // WM_CLOSE, before the base map closes the window: refused while an upgrade runs; while
  // the file dialog is up it is cancelled first and the close comes back once the dialog has
  // gone (an owner must not vanish under its dialog); else the workers are told to stop and
  // the close goes on.
  LRESULT OnCloseRequest(WPARAM wParam, LPARAM lParam);
  // WM_TIMER of the deferred close: asks again.
  LRESULT OnCloseRetry(WPARAM wParam, LPARAM lParam);
  // WM_QUERYENDSESSION: FALSE while an upgrade works on the controller (a shutdown or restart
  // would cut the transfer off), TRUE otherwise.
  LRESULT OnQueryEndSession(WPARAM wParam, LPARAM lParam);
  LRESULT OnShutdownHold(WPARAM wParam, LPARAM lParam);
  // The offer to write back a pending backup, or at start-up the notice of a damaged one
  // (CFrameSequences).
  LRESULT OnOfferRestore(WPARAM wParam, LPARAM lParam);
  // The system menu's "Update history...": the window has no room for another button, and
  // the history is seldom wanted, mostly for a support request. Other system commands go on
  // to Windows.
  LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);

  // The window's size at any scale (CFrameLayout).
  LRESULT OnGrowToFull(WPARAM wParam, LPARAM lParam);
  // WM_DPICHANGED: takes the suggested rectangle and lets the dialog manager rescale the
  // font and the controls (per-monitor v2), then sizes the window in OnDpiLayout.
  LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
  LRESULT OnDpiLayout(WPARAM wParam, LPARAM lParam);
  // WM_DISPLAYCHANGE, and WM_SETTINGCHANGE for SPI_SETWORKAREA: the screen or the room the
  // taskbar leaves changed, so the window is sized and placed again (OnDpiLayout); left to
  // the default handling too.
  LRESULT OnDisplayChange(WPARAM wParam, LPARAM lParam);
  LRESULT OnSettingChange(WPARAM wParam, LPARAM lParam);
  // WM_SIZE: a window restored from minimised gets the layout it missed meanwhile (a change
  // of scale, display or work area while it had no size to measure).
  LRESULT OnSize(WPARAM wParam, LPARAM lParam);

  // MainWindow.
  CDialogBase& Dialog() override { return *this; }
  bool IsBusy() const override { return busy; }
  void SetBusy(bool busy, bool upgrade) override;
  bool StartWorker(std::function<void()> body) override;
  bool CloseRequested() const override;
  void HoldShutdown(bool held) override;
  void SetProgressPosition(uint64_t position) override;
  void GrowToFull() override;
  std::wstring TakeFirmwarePath() override;
  const RunContext& Context() const override { return context; }

  // After the window has closed: asks the workers to stop, cancels an open file dialog and
  // returns once no worker is left, serving the thread's messages meanwhile.
  void WaitForWorkers();

  // The window's parts, window thread only.
  const CFrameLayout& Layout() const { return layout; }
  CFirmwareSelection& Selection() { return selection; }

 private:
  // After a version read: while no sequence runs, the status line names who keeps the
  // controller when another program does, or says that it waits in its boot loader (then the
  // window grows and Force update is enabled), and is cleared once neither is so.
  void ShowRefreshStatus(VersionReading reading);

  const RunContext& context;
  // The controller link: the version reads here, the sequences in CFrameSequences.
  CVexapad& link;
  HWND progressBar;
  std::atomic<bool> busy;
  // An upgrade or forced upgrade holds `busy`: closing is refused meanwhile.
  std::atomic<bool> upgradeRunning;
  CFrameWorkers workers;
  CFrameLayout layout;
  CFirmwareSelection selection;
  CShutdownHold shutdownHold;
  CFrameSequences sequences;
  // Window thread only: a close waits for the Select worker to hand its result back.
  bool closePending;
  // Window thread only: a Refresh has found the controller, and the offer to write back a
  // pending backup followed it (asked once per run).
  bool restoreOffered;
  // Window thread only: the status line holds what a Refresh found (ShowRefreshStatus).
  bool statusIsRefreshs;
  // Shown on the status line at start (SetStartNotice).
  std::wstring startNotice;
};
