// CFrameDlg: the tool's main window (dialog IDD_MAIN). It owns what the window thread shares
// with the worker threads: the busy marks, this run's state (RunState: the configuration
// copies the sequences read), the progress bar and the start-up rectangles, and it keeps
// the window object alive until every worker that may touch it has finished.
//
// Rules for a handler that starts a worker (Select here; Update, Force update and Initialize
// in FrameDlgUpgrade.cpp, the start-up restore in FrameDlgRestore.cpp):
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
#include "ui/DialogBase.h"
#include "ui/WorkerRegistry.h"
#include "workflows/RunContext.h"
#include "workflows/RunState.h"
#include "workflows/VersionLine.h"

class CFrameDlg : public CDialogBase {
 public:
  // Sent by the Select worker to the window thread: wParam nonzero when a file was chosen,
  // lParam the const std::wstring* of its path. The window thread takes it into firmwarePath.
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
  // Update, Force update and Initialize (FrameDlgUpgrade.cpp).
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
  // Window thread: holds the shutdown block reason while the shutdown is held and gives it
  // up once it is not (Windows accepts both calls only from the window's thread).
  void FollowShutdownHold();
  // Asks once whether to write back the newest saved backup, when it never went back; Yes
  // starts the restore on a worker (FrameDlgRestore.cpp).
  LRESULT OnOfferRestore(WPARAM wParam, LPARAM lParam);
  // The system menu's "Update history..." (FrameDlgHistory.cpp): added at start-up; chosen,
  // it opens the history's view. Other system commands go on to Windows.
  void AddHistoryMenuItem();
  LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);

  // The window's size at any scale (FrameDlgLayout.cpp). Lengths come from the controls as
  // the dialog manager placed them from dialog units, and from the window's DPI; none is a
  // fixed count of pixels.
  //
  // Gives the window its full size, then centres it in the work area of its monitor; it
  // stays full from then on. When the full window would be taller than the work area, the
  // file box gives up height first (down to two lines), so that the recovery steps and
  // Force update show.
  LRESULT OnGrowToFull(WPARAM wParam, LPARAM lParam);
  // WM_DPICHANGED: takes the suggested rectangle and lets the dialog manager rescale the
  // font and the controls (per-monitor v2), then sizes the window in OnDpiLayout.
  LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
  // Recomputes `fullRect` and `collapsedRect` at the new scale, where the window stands, and
  // gives the window the one of its state, inside the work area of its monitor (a grown
  // window fits the file box to it again).
  LRESULT OnDpiLayout(WPARAM wParam, LPARAM lParam);
  // WM_DISPLAYCHANGE, and WM_SETTINGCHANGE for SPI_SETWORKAREA: the screen or the room the
  // taskbar leaves changed, so the window is sized and placed again (OnDpiLayout); left to
  // the default handling too.
  LRESULT OnDisplayChange(WPARAM wParam, LPARAM lParam);
  LRESULT OnSettingChange(WPARAM wParam, LPARAM lParam);
  // WM_SIZE: a window restored from minimised gets the layout it missed meanwhile (a change
  // of scale, display or work area while it had no size to measure).
  LRESULT OnSize(WPARAM wParam, LPARAM lParam);
  // The "Force update" group box, which the collapsed window hides; null when absent.
  static HWND FindRecoveryGroup(HWND window);

  // Centres `window` in the work area of its monitor, keeping its size; a window taller or
  // wider than the work area keeps its top and left edges on the work area's, so that its
  // title bar is never above it.
  BOOL CenterInWorkArea(HWND window);

  // Runs `body` on a detached worker thread that this object outlives. False when no thread
  // was started (the window is closing, or the thread could not be created).
  bool StartWorker(std::function<void()> body);
  // True once the window has closed (or is about to); long waits of workers give up then.
  bool CloseRequested() const;
  // The Select worker's thread while it shows the file dialog, else 0.
  DWORD SelectThread() const { return selectThread; }
  // After the window has closed: asks the workers to stop, cancels an open file dialog and
  // returns once no worker is left, serving the thread's messages meanwhile.
  void WaitForWorkers();

  // The busy mark: set while a sequence or the file selection runs, so that no other starts.
  // `upgrade` marks an upgrade (or the start-up restore) as well, which closing waits for.
  // Set on the window thread; a worker clears it (both marks together) at its end.
  bool IsBusy() const { return busy; }
  void SetBusy(bool busy, bool upgrade);
  // Worker thread: the end of the session is refused while held (an upgrade works on the
  // controller); the window thread follows the change before this returns.
  void HoldShutdown(bool held);
  // Worker thread: the progress bar's position (0 to 1000).
  void SetProgressPosition(uint64_t position);

  // What the sequences of this window work with.
  const RunContext& Context() const { return context; }

  // The firmware file's path as the window last took it. Window thread only.
  const std::wstring& FirmwarePath() const { return firmwarePath; }
  // Takes the path as the file box holds it now (an update starts from it).
  const std::wstring& TakeFirmwarePathFromBox();
  // The path to start from before the window runs (the Select dialog opens in its folder).
  void SetFirmwarePath(std::wstring path) { firmwarePath = std::move(path); }
  // The window's full and collapsed rectangles (screen coordinates) at its current scale.
  // Window thread only.
  const RECT& FullRect() const { return fullRect; }
  const RECT& CollapsedRect() const { return collapsedRect; }

 private:
  // Window thread only (handlers, start-up, the Select result handed over by message).
  std::wstring firmwarePath;
  // Taken at start-up, and again where the window stands when it grows and after a change of
  // scale.
  RECT fullRect;
  RECT collapsedRect;

  // The window's width and its two heights at the current scale, in pixels, frame included:
  // collapsed, the client area ends where the force-update group begins; full, it has the
  // template's margins right of and below the group, as the group now stands.
  struct Sizes {
    int width;
    int full;
    int collapsed;
  };
  Sizes MeasureSizes() const;
  // Collapses the window at start-up, so that the force-update group lies outside it.
  void Collapse();
  // Gives the file box the height that lets the full window fit `workHeight` pixels (frame
  // included), between its natural height and two lines, moving everything below it.
  void FitFileBox(int workHeight);
  // After a version read: while no sequence runs, the status line names who keeps the
  // controller when another program does, or says that it waits in its boot loader (then the
  // window grows and Force update is enabled), and is cleared once neither is so.
  void ShowRefreshStatus(VersionReading reading);
  // Gives the window its big and small icon in the sizes for `windowDpi`.
  void SetIconsForDpi(UINT windowDpi);

  void SelectWorker(std::wstring path);
  // Closes (cancels) the dialogs that the Select worker's thread shows.
  void CancelSelectDialog();

  const RunContext& context;
  CVexapad& link;
  CWorkerRegistry workers;
  // This run's configuration copies, read and used by one sequence at a time (`busy`).
  RunState run;
  HWND progressBar;
  std::atomic<bool> busy;
  // An upgrade or forced upgrade holds `busy`: closing is refused meanwhile.
  std::atomic<bool> upgradeRunning;
  // An upgrade works on the controller: the session may not end meanwhile.
  std::atomic<bool> shutdownHeld;
  std::atomic<DWORD> selectThread;
  // Window thread only: a Select worker has not handed its result back yet, and a close
  // waits for that.
  bool selectRunning;
  bool closePending;
  // Window thread only: a Refresh has found the controller, and the offer to write back a
  // pending backup followed it (asked once per run).
  bool restoreOffered;
  // Window thread only: the status line holds what a Refresh found (ShowRefreshStatus).
  bool statusIsRefreshs;
  // Window thread only: the shutdown block reason is held.
  bool shutdownBlocked;
  // Shown on the status line at start (SetStartNotice).
  std::wstring startNotice;
  // Window thread only: the window has grown to its full size.
  bool grown;
  // Window thread only: a layout was due while the window was minimised.
  bool layoutOwed;
  // Window thread only: the margins right of and below the force-update group in the
  // full window at start-up, in pixels at `startDpi`; and the DPI the window has now.
  SIZE groupMargins;
  // Window thread only: the file box's natural height, in pixels at `startDpi`.
  int fileBoxHeight;
  UINT startDpi;
  UINT dpi;
  // The icons given to the window, destroyed with this object.
  HICON bigIcon;
  HICON smallIcon;
};
