// CHistoryDlg: the "Update history" view that the main window's system menu opens: the runs
// kept beside the saved backups, read-only, with Copy (the whole text to the clipboard, for
// a support request) and Close. Runs on the window thread, modal to the main window.
#pragma once

#include <windows.h>

#include <string>

#include "platform/BackupFolder.h"
#include "ui/DialogBase.h"

class CHistoryDlg : public CDialogBase {
 public:
  // `text`: what the view shows (lines ended by CR LF).
  explicit CHistoryDlg(std::wstring text) : text_(std::move(text)) {}

  const MessageMap* GetMessageMap() const override;
  static const MessageMap* ClassMessageMap();

  LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam);
  LRESULT OnCopy(WORD code, WORD id, HWND control, WORD firstId, WORD lastId);
  LRESULT OnCancel(WORD code, WORD id, HWND control, WORD firstId, WORD lastId);

 private:
  std::wstring text_;
};

// Reads the history in `backups` and shows it over `owner` until the user closes the view.
void ShowUpdateHistory(HWND owner, BackupFolder* backups);
