// The firmware file the window updates with, and Select: a worker shows the file-open dialog
// (it may take long, and the window keeps serving its messages meanwhile) and hands the
// chosen path to the window thread by message.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <utility>

class CDialogBase;
class CFrameWorkers;

class CFirmwareSelection {
 public:
  // `busy`: the window's busy mark, held while the dialog is up. `chosenMessage`: sent by the
  // worker to the window thread, wParam nonzero when a file was chosen, lParam the const
  // std::wstring* of its path; the window thread hands it to TakeChosen.
  CFirmwareSelection(CDialogBase& dialog, CFrameWorkers& workers, std::atomic<bool>& busy,
                     UINT chosenMessage);

  // Window thread: Select was pressed. Refused while busy; true when its worker started.
  bool Start();
  // Window thread: the worker's hand-over; the path edit shows the path taken.
  void TakeChosen(WPARAM chosen, LPARAM path);
  // Window thread: a Select worker has not handed its result back yet.
  bool Running() const { return running_; }
  // Closes (cancels) the dialogs that the worker's thread shows.
  void CancelDialog();
  // The worker's thread while it shows the file dialog, else 0.
  DWORD DialogThread() const { return thread_; }

  // Window thread only: the firmware path (found at start-up, chosen, or taken from the
  // path edit when a sequence starts).
  const std::wstring& Path() const { return path_; }
  void SetPath(std::wstring path) { path_ = std::move(path); }

 private:
  void Work(std::wstring path);

  CDialogBase& dialog_;
  CFrameWorkers& workers_;
  std::atomic<bool>& busy_;
  UINT chosenMessage_;
  std::wstring path_;
  std::atomic<DWORD> thread_{0};
  bool running_ = false;
};
