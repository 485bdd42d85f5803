// The firmware file and Select (see FirmwareSelection.h).
#include "frontends/window/FirmwareSelection.h"

#include <shobjidl.h>

#include <utility>

#include "frontends/window/FrameWorkers.h"
#include "frontends/window/resource.h"
#include "ui/DialogBase.h"
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

CFirmwareSelection::CFirmwareSelection(CDialogBase& dialog, CFrameWorkers& workers,
                                       std::atomic<bool>& busy, UINT chosenMessage)
    : dialog_(dialog), workers_(workers), busy_(busy), chosenMessage_(chosenMessage) {}

bool CFirmwareSelection::Start() {
  if (busy_) {
    return false;
  }
  busy_ = true;
  // The worker starts from a copy: the window thread alone writes the path.
  std::wstring start = path_;
  if (!workers_.Start([this, start] { Work(start); })) {
    busy_ = false;
    return false;
  }
  running_ = true;
  return true;
}

void CFirmwareSelection::Work(std::wstring path) {
  static const COMDLG_FILTERSPEC kFilter[] = {{L"vxf", L"*.vxf"}};
  thread_ = GetCurrentThreadId();
  bool chosen = false;
  if (!workers_.StopRequested()) {
    unsigned index = 0;
    chosen = ShowOpenFileDialog(dialog_.hwnd, path, &index, kFilter, 1);
  }
  thread_ = 0;
  if (SendMessageW(dialog_.hwnd, chosenMessage_, chosen ? 1 : 0, reinterpret_cast<LPARAM>(&path)) ==
      0) {
    busy_ = false;  // the window is gone
  }
}

void CFirmwareSelection::TakeChosen(WPARAM chosen, LPARAM path) {
  if (chosen != 0) {
    path_ = *reinterpret_cast<const std::wstring*>(path);
  }
  busy_ = false;
  dialog_.SetItemText(IDC_FILE_PATH, path_);
  running_ = false;
}

void CFirmwareSelection::CancelDialog() {
  DialogSearch search{thread_, dialog_.hwnd};
  if (search.thread != 0) {
    // EnumWindows, not EnumThreadWindows: Wine does not list the file dialog under the
    // thread that shows it.
    EnumWindows(CancelDialogWindow, reinterpret_cast<LPARAM>(&search));
  }
}
