// What the helpers that act for the main window (the sequences' view, the start handlers'
// host, the sequence starts) need of it. CFrameDlg is it and makes them; they know it only
// through this, so that none of them depends on CFrameDlg.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "workflows/RunContext.h"

class CDialogBase;

class MainWindow {
 public:
  // The dialog: its handle (the owner of the boxes) and its controls.
  virtual CDialogBase& Dialog() = 0;
  // The busy mark: set while a sequence or the file selection runs, so that no other starts.
  // `upgrade` marks an upgrade (or the start-up restore) as well, which closing waits for.
  // Set on the window thread; a worker clears it (both marks together) at its end.
  virtual bool IsBusy() const = 0;
  virtual void SetBusy(bool busy, bool upgrade) = 0;
  // Runs `body` on a detached worker thread that the window outlives. False when no thread
  // was started (the window is closing, or the thread could not be created).
  virtual bool StartWorker(std::function<void()> body) = 0;
  // True once the window has closed (or is about to); long waits of workers give up then.
  virtual bool CloseRequested() const = 0;
  // Worker thread: the end of the session is refused while held (an upgrade works on the
  // controller); the window thread follows the change before this returns.
  virtual void HoldShutdown(bool held) = 0;
  // Worker thread: the progress bar's position (0 to 1000).
  virtual void SetProgressPosition(uint64_t position) = 0;
  // Worker thread: the window thread gives the window its full size and centres it (it owns
  // the window's rectangles, which a change of scale renews).
  virtual void GrowToFull() = 0;
  // Window thread: the path edit's text becomes the firmware path, and is returned.
  virtual std::wstring TakeFirmwarePath() = 0;
  // What the window's sequences work with: the run's clock, power, backups and the rest.
  virtual const RunContext& Context() const = 0;

 protected:
  ~MainWindow() = default;
};
