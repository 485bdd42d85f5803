// CFrameDlg's "Update history..." in its system menu (the menu of the title bar's icon): the
// window has no room for another button, and the history is seldom wanted, mostly for a
// support request.
#include "frontends/window/FrameDlg.h"
#include "frontends/window/HistoryDlg.h"
#include "frontends/window/resource.h"

void CFrameDlg::AddHistoryMenuItem() {
  HMENU menu = GetSystemMenu(hwnd, FALSE);
  if (menu != nullptr) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_HISTORY, L"Update history...");
  }
}

LRESULT CFrameDlg::OnSysCommand(WPARAM command, LPARAM) {
  // Windows uses the low four bits of a system command itself.
  if ((command & 0xFFF0) != IDM_HISTORY) {
    return 0;
  }
  ShowUpdateHistory(hwnd, context.backups);
  return 1;
}
