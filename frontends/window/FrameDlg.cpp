// CFrameDlg: construction, the message map, start-up, the version line and what the status
// line says after it, and close rules.
#include "frontends/window/FrameDlg.h"

#include <commctrl.h>

#include <vector>

#include "device/win/HidDevice.h"
#include "frontends/window/RefreshStatus.h"
#include "frontends/window/resource.h"
#include "platform/win/FileSystem.h"
#include "ui/MessageMap.h"
#include "ui/WindowDpi.h"
#include "workflows/backups/PendingBackups.h"
#include "workflows/VersionLine.h"

namespace {

constexpr UINT_PTR kCloseRetryTimer = 1;

}  // namespace

CFrameDlg::CFrameDlg(const RunContext& context, CVexapad& link)
    : fullRect{},
      collapsedRect{},
      context(context),
      link(link),
      progressBar(nullptr),
      busy(false),
      upgradeRunning(false),
      shutdownHeld(false),
      selectThread(0),
      selectRunning(false),
      closePending(false),
      restoreOffered(false),
      statusIsRefreshs(false),
      shutdownBlocked(false),
      grown(false),
      layoutOwed(false),
      groupMargins{},
      fileBoxHeight(0),
      startDpi(USER_DEFAULT_SCREEN_DPI),
      dpi(USER_DEFAULT_SCREEN_DPI),
      bigIcon(nullptr),
      smallIcon(nullptr) {}

CFrameDlg::~CFrameDlg() {
  WaitForWorkers();
  for (HICON icon : {bigIcon, smallIcon}) {
    if (icon != nullptr) {
      DestroyIcon(icon);
    }
  }
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
  startDpi = dpi = WindowDpi(window);
  SetIconsForDpi(dpi);
  progressBar = GetItem(IDC_PROGRESS);
  if (progressBar != nullptr) {
    SendMessageW(progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 1000));
    SendMessageW(progressBar, PBM_SETPOS, 0, 0);
    SendMessageW(progressBar, PBM_SETBKCOLOR, 0, RGB(255, 255, 255));
    SendMessageW(progressBar, PBM_SETBARCOLOR, 0, RGB(37, 176, 6));
  }
  std::vector<std::wstring> found = FindFirmwareFiles(GetModuleDirectory());
  if (found.size() == 1) {
    firmwarePath = found.front();
    SetItemText(IDC_FILE_PATH, firmwarePath);
  }
  if (!startNotice.empty()) {
    SetItemText(IDC_STATUS, startNotice);
  }
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  AddHistoryMenuItem();
  // Read once the loop runs, after the window has appeared.
  PostCommand(IDC_REFRESH, 0, 0);
  PostMessageW(window, kOfferRestoreMessage, kNoticeOnly, 0);
  Collapse();
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
    if (!grown) {
      OnGrowToFull(0, 0);
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
  if (selectRunning) {
    closePending = true;
    CancelSelectDialog();
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
