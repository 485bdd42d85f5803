// CFrameDlg: construction, the message map, start-up, the version line and what the status
// line says after it, close rules, and the handlers that hand on to the window's parts.
#include "frontends/window/FrameDlg.h"

#include <commctrl.h>

#include <functional>
#include <utility>
#include <vector>

#include "device/win/HidDevice.h"
#include "frontends/window/HistoryDlg.h"
#include "frontends/window/RefreshStatus.h"
#include "frontends/window/resource.h"
#include "platform/win/FileSystem.h"
#include "ui/MessageMap.h"
#include "workflows/backups/PendingBackups.h"
#include "workflows/VersionLine.h"

namespace {

constexpr UINT_PTR kCloseRetryTimer = 1;

}  // namespace

CFrameDlg::CFrameDlg(const RunContext& context, CVexapad& link)
    : context(context),
      link(link),
      progressBar(nullptr),
      busy(false),
      upgradeRunning(false),
      layout(*this, kDpiLayoutMessage),
      selection(*this, workers, busy, kFileChosenMessage),
      shutdownHold(*this, kShutdownHoldMessage),
      sequences(*this, context, link),
      closePending(false),
      restoreOffered(false),
      statusIsRefreshs(false) {}

CFrameDlg::~CFrameDlg() {
  WaitForWorkers();
}

const MessageMap* CFrameDlg::GetMessageMap() const {
  return ClassMessageMap();
}

const MessageMap* CFrameDlg::ClassMessageMap() {
  // Row order matters only for rows that answer the same message and id.
  static const MessageMapEntry rows[] = {
      MessageRow<CFrameDlg>(WM_INITDIALOG, &CFrameDlg::OnInitDialog),
      CommandRow<CFrameDlg>(IDC_REFRESH, &CFrameDlg::OnRefresh),
      CommandRow<CFrameDlg>(IDC_SELECT, &CFrameDlg::OnSelect),
      CommandRow<CFrameDlg>(IDC_UPDATE, &CFrameDlg::OnUpgrade),
      CommandRow<CFrameDlg>(IDC_FORCE_UPDATE, &CFrameDlg::OnForceUpgrade),
      CommandRow<CFrameDlg>(IDC_INITIALIZE, &CFrameDlg::OnInitialize),
      MessageRow<CFrameDlg>(kFileChosenMessage, &CFrameDlg::OnFileChosen),
      MessageRow<CFrameDlg>(WM_CLOSE, &CFrameDlg::OnCloseRequest),
      MessageRow<CFrameDlg>(WM_TIMER, &CFrameDlg::OnCloseRetry),
      MessageRow<CFrameDlg>(WM_QUERYENDSESSION, &CFrameDlg::OnQueryEndSession),
      MessageRow<CFrameDlg>(kShutdownHoldMessage, &CFrameDlg::OnShutdownHold),
      MessageRow<CFrameDlg>(kOfferRestoreMessage, &CFrameDlg::OnOfferRestore),
      MessageRow<CFrameDlg>(kGrowToFullMessage, &CFrameDlg::OnGrowToFull),
      MessageRow<CFrameDlg>(WM_DPICHANGED, &CFrameDlg::OnDpiChanged),
      MessageRow<CFrameDlg>(kDpiLayoutMessage, &CFrameDlg::OnDpiLayout),
      MessageRow<CFrameDlg>(WM_DISPLAYCHANGE, &CFrameDlg::OnDisplayChange),
      MessageRow<CFrameDlg>(WM_SETTINGCHANGE, &CFrameDlg::OnSettingChange),
      MessageRow<CFrameDlg>(WM_SIZE, &CFrameDlg::OnSize),
      MessageRow<CFrameDlg>(WM_SYSCOMMAND, &CFrameDlg::OnSysCommand),
      EndOfMap(),
  };
  static const MessageMap map = {&CDialogBase::ClassMessageMap, rows};
  return &map;
}

BOOL CFrameDlg::PreTranslate(MSG* msg) {
  HWND window = hwnd;
  return msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE && window != nullptr &&
         (msg->hwnd == window || IsChild(window, msg->hwnd));
}

LRESULT CFrameDlg::OnInitDialog(WPARAM, LPARAM) {
  HWND window = hwnd;
  layout.TakeScale();
  progressBar = GetItem(IDC_PROGRESS);
  if (progressBar != nullptr) {
    SendMessageW(progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 1000));
    SendMessageW(progressBar, PBM_SETPOS, 0, 0);
    SendMessageW(progressBar, PBM_SETBKCOLOR, 0, RGB(255, 255, 255));
    SendMessageW(progressBar, PBM_SETBARCOLOR, 0, RGB(37, 176, 6));
  }
  std::vector<std::wstring> found = FindFirmwareFiles(GetModuleDirectory());
  if (found.size() == 1) {
    selection.SetPath(found.front());
    SetItemText(IDC_FILE_PATH, selection.Path());
  }
  if (!startNotice.empty()) {
    SetItemText(IDC_STATUS, startNotice);
  }
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  if (HMENU menu = GetSystemMenu(window, FALSE)) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_HISTORY, L"Update history...");
  }
  // Read once the loop runs, after the window has appeared.
  PostCommand(IDC_REFRESH, 0, 0);
  PostMessageW(window, kOfferRestoreMessage, kNoticeOnly, 0);
  layout.Collapse();
  return 1;
}

LRESULT CFrameDlg::OnRefresh(WORD, WORD, HWND, WORD, WORD) {
  std::wstring text;
  CHidDevice scanner;  // only looks at the present devices, should the read fail
  const VersionReading reading = ReadVersion(link, scanner, &text);
  SetItemText(IDC_VERSION, text);
  ShowRefreshStatus(reading);
  // Asked once per run, at the first Refresh that finds the controller (it may not answer at
  // start-up yet), once the version shows: from the loop rather than inside this handler.
  if (reading == VersionReading::kRead && !restoreOffered) {
    restoreOffered = true;
    PostMessageW(hwnd, kOfferRestoreMessage, 0, 0);
  }
  return 1;
}

void CFrameDlg::ShowRefreshStatus(VersionReading reading) {
  if (busy) {
    return;  // the status line is the sequence's
  }
  RefreshFacts facts{reading};
  if (reading != VersionReading::kRead) {
    facts.block = context.FindControllerBlock();
  }
  BackupEntry pending;
  if (reading == VersionReading::kBootLoaderAlone &&
      NewestPendingBackup(context.backups, &pending)) {
    facts.pendingUtcMs = pending.backup.takenUtcMs;
  }
  const RefreshStatus status = StatusAfterRefresh(facts);
  if (!status.text.empty()) {
    SetItemText(IDC_STATUS, status.text);
    statusIsRefreshs = true;
  } else if (statusIsRefreshs) {
    SetItemText(IDC_STATUS, L"");  // let go: nothing stands in the way any more
    statusIsRefreshs = false;
  }
  if (status.offerForceUpdate) {
    // The way back at once, without a failed Update first. Grown once: a window the user has
    // moved since stays where it is.
    if (!layout.Grown()) {
      layout.GrowToFull();
    }
    EnableWindow(GetItem(IDC_FORCE_UPDATE), TRUE);
  }
}

void CFrameDlg::SetBusy(bool value, bool upgrade) {
  if (value) {
    statusIsRefreshs = false;  // the sequence that starts writes the status line from now on
    // Closing is refused from before the worker exists until after its end.
    if (upgrade) {
      upgradeRunning = true;
    }
    busy = true;
    return;
  }
  // In this order: once `busy` is clear a next upgrade may mark itself running at once, and
  // that mark must not be cleared under it.
  if (upgrade) {
    upgradeRunning = false;
  }
  busy = false;
}

void CFrameDlg::SetProgressPosition(uint64_t position) {
  SendMessageW(progressBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

LRESULT CFrameDlg::OnCloseRequest(WPARAM, LPARAM) {
  if (upgradeRunning) {
    MessageBeep(MB_ICONWARNING);
    return 1;  // handled: the window stays
  }
  if (selection.Running()) {
    closePending = true;
    selection.CancelDialog();
    // The dialog may not be up yet: ask again shortly until the worker has handed back.
    SetTimer(hwnd, kCloseRetryTimer, 100, nullptr);
    return 1;
  }
  workers.RequestStop();
  return 0;  // on to the base map, which closes the window
}

LRESULT CFrameDlg::OnCloseRetry(WPARAM timer, LPARAM) {
  if (timer != kCloseRetryTimer) {
    return 0;
  }
  KillTimer(hwnd, kCloseRetryTimer);
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  return 1;
}

LRESULT CFrameDlg::OnSelect(WORD, WORD, HWND, WORD, WORD) {
  return selection.Start() ? 1 : 0;
}

LRESULT CFrameDlg::OnFileChosen(WPARAM chosen, LPARAM path) {
  selection.TakeChosen(chosen, path);
  if (closePending) {
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
  }
  return 1;
}

std::wstring CFrameDlg::TakeFirmwarePath() {
  selection.SetPath(GetItemText(IDC_FILE_PATH));
  return selection.Path();
}

LRESULT CFrameDlg::OnUpgrade(WORD, WORD id, HWND, WORD, WORD) {
  sequences.Upgrade(id);
  return 0;
}

LRESULT CFrameDlg::OnForceUpgrade(WORD, WORD id, HWND, WORD, WORD) {
  sequences.ForceUpgrade(id);
  return 0;
}

LRESULT CFrameDlg::OnInitialize(WORD, WORD, HWND, WORD, WORD) {
  sequences.Initialize();
  return 0;
}

LRESULT CFrameDlg::OnOfferRestore(WPARAM wParam, LPARAM) {
  if (wParam == kNoticeOnly) {
    sequences.NoticeDamagedPendingBackups();
  } else {
    sequences.OfferRestore();
  }
  return 1;
}

bool CFrameDlg::StartWorker(std::function<void()> body) {
  return workers.Start(std::move(body));
}

bool CFrameDlg::CloseRequested() const {
  return workers.StopRequested();
}

void CFrameDlg::WaitForWorkers() {
  workers.WaitUntilDone([this] { selection.CancelDialog(); });
}

LRESULT CFrameDlg::OnQueryEndSession(WPARAM, LPARAM) {
  // A plain 0 would mean "not handled" and let the dialog manager answer TRUE.
  return shutdownHold.Held() ? kResultFalse : TRUE;
}

void CFrameDlg::HoldShutdown(bool held) {
  shutdownHold.Hold(held);
}

LRESULT CFrameDlg::OnShutdownHold(WPARAM, LPARAM) {
  shutdownHold.Follow();
  return 1;
}

LRESULT CFrameDlg::OnSysCommand(WPARAM command, LPARAM) {
  // Windows uses the low four bits of a system command itself.
  if ((command & 0xFFF0) != IDM_HISTORY) {
    return 0;
  }
  ShowUpdateHistory(hwnd, context.backups);
  return 1;
}

void CFrameDlg::GrowToFull() {
  // The window thread does it: it owns the full rectangle, which a change of scale renews.
  SendMessageW(hwnd, kGrowToFullMessage, 0, 0);
}

LRESULT CFrameDlg::OnGrowToFull(WPARAM, LPARAM) {
  layout.GrowToFull();
  return 1;
}

LRESULT CFrameDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
  layout.DpiChanged(wParam, reinterpret_cast<const RECT*>(lParam));
  return 0;  // left to the dialog manager, which rescales the font and the controls
}

LRESULT CFrameDlg::OnDpiLayout(WPARAM, LPARAM) {
  layout.Relayout();
  return 1;
}

LRESULT CFrameDlg::OnDisplayChange(WPARAM, LPARAM) {
  layout.RelayoutLater();
  return 0;
}

LRESULT CFrameDlg::OnSettingChange(WPARAM wParam, LPARAM) {
  if (wParam == SPI_SETWORKAREA) {
    layout.RelayoutLater();
  }
  return 0;
}

LRESULT CFrameDlg::OnSize(WPARAM wParam, LPARAM) {
  if (hwnd != nullptr && wParam == SIZE_RESTORED) {
    layout.Restored();
  }
  return 0;
}
