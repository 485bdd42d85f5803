// CFrameDlg: the Select button, its worker with the file-open dialog, and the hand-over of
// the chosen path to the window thread.
#include "frontends/window/FrameDlg.h"

#include <shobjidl.h>

#include "frontends/window/resource.h"
#include "ui/OpenFileDialog.h"

namespace {

struct DialogSearch {
  DWORD thread;  // the Select worker's thread
  HWND owner;    // the main window, null once it has gone
};

// Closes a visible dialog-class window of the Select worker's thread or owned by the main
// window: the file dialog. WM_CLOSE makes it cancel itself (a bare IDCANCEL command lacks the
// button's handle, which some file dialogs rely on).
BOOL CALLBACK CancelDialogWindow(HWND window, LPARAM param) {
  const auto* search = reinterpret_cast<const DialogSearch*>(param);
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  bool ours = GetWindowThreadProcessId(window, nullptr) == search->thread ||
              (search->owner != nullptr && GetWindow(window, GW_OWNER) == search->owner);
  if (ours && window != search->owner && IsWindowVisible(window) &&
      lstrcmpW(name, L"#32770") == 0) {
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

}  // namespace

LRESULT CFrameDlg::OnSelect(WORD, WORD, HWND, WORD, WORD) {
  if (busy) {
    return 0;
  }
  busy = true;
  // The worker starts from a copy: the window thread alone writes firmwarePath.
  std::wstring start = firmwarePath;
  if (!StartWorker([this, start] { SelectWorker(start); })) {
    busy = false;
    return 0;
  }
  selectRunning = true;
  return 1;
}

void CFrameDlg::SelectWorker(std::wstring path) {
  static const COMDLG_FILTERSPEC kFilter[] = {{L"vxf", L"*.vxf"}};
  selectThread = GetCurrentThreadId();
  bool chosen = false;
  if (!CloseRequested()) {
    unsigned index = 0;
    chosen = ShowOpenFileDialog(hwnd, path, &index, kFilter, 1);
  }
  selectThread = 0;
  if (SendMessageW(hwnd, kFileChosenMessage, chosen ? 1 : 0, reinterpret_cast<LPARAM>(&path)) ==
      0) {
    busy = false;  // the window is gone
  }
}

LRESULT CFrameDlg::OnFileChosen(WPARAM chosen, LPARAM path) {
  if (chosen != 0) {
    firmwarePath = *reinterpret_cast<const std::wstring*>(path);
  }
  busy = false;
  SetItemText(IDC_FILE_PATH, firmwarePath);
  selectRunning = false;
  if (closePending) {
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
  }
  return 1;
}

void CFrameDlg::CancelSelectDialog() {
  DialogSearch search{selectThread, hwnd};
  if (search.thread != 0) {
    // EnumWindows, not EnumThreadWindows: Wine does not list the file dialog under the
    // thread that shows it.
    EnumWindows(CancelDialogWindow, reinterpret_cast<LPARAM>(&search));
  }
}

const std::wstring& CFrameDlg::TakeFirmwarePathFromBox() {
  firmwarePath = GetItemText(IDC_FILE_PATH);
  return firmwarePath;
}
