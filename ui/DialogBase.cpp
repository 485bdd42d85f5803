// CDialogBase: creation, the own message loop, the dialog procedure and the control helpers.
#include "ui/DialogBase.h"

#include "ui/MessageDispatch.h"
#include "ui/MessageMap.h"

namespace {

// The window property that leads from a dialog window to its object.
constexpr wchar_t kThisProperty[] = L"this";

}  // namespace

CDialogBase::CDialogBase() : hwnd(nullptr), templateId(0), centerOnInit(0) {}

CDialogBase::~CDialogBase() {
  HWND window = hwnd.exchange(nullptr);
  if (window != nullptr) {
    DestroyWindow(window);
  }
}

LRESULT CDialogBase::RunModal(int id, HWND parent, bool show, bool center) {
  templateId = id;
  centerOnInit = center ? 1 : 0;
  HWND window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), parent,
                                   DialogProc, reinterpret_cast<LPARAM>(this));
  hwnd = window;
  if (window == nullptr) {
    return -1;
  }
  if (show) {
    ShowWindow(window, SW_SHOW);
  }
  HWND owner = GetParent(window);
  if (owner != nullptr) {
    EnableWindow(owner, FALSE);
  }
  MSG msg = {};
  for (;;) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      return static_cast<LRESULT>(msg.wParam);
    }
    if (PreTranslate(&msg) || TranslateDialogMessage(&msg)) {
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool CDialogBase::CloseDialog(WPARAM result) {
  HWND window = hwnd;
  if (window == nullptr) {
    return false;
  }
  HWND owner = GetParent(window);
  if (owner != nullptr) {
    // Before the dialog goes, or Windows activates some other application's window.
    EnableWindow(owner, TRUE);
  }
  // A thread message: it ends RunModal's loop once the destruction below has run.
  PostMessageW(nullptr, WM_QUIT, result, 0);
  hwnd = nullptr;
  DestroyWindow(window);
  return true;
}

BOOL CDialogBase::CenterWindow(HWND reference) {
  HWND window = hwnd;
  RECT dialog = {};
  RECT work = {};
  RECT ref = {};
  GetWindowRect(window, &dialog);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(reference != nullptr ? reference : GetDesktopWindow(), &ref);
  int w = dialog.right - dialog.left;
  int h = dialog.bottom - dialog.top;
  int x = ref.left + ((ref.right - ref.left) - w) / 2;
  int y = ref.top + ((ref.bottom - ref.top) - h) / 2;
  // The low side clamps to 0, not to the work area's left or top.
  if (x < 0) {
    x = 0;
  }
  if (y < 0) {
    y = 0;
  }
  if (x + w > work.right) {
    x = work.right - w;
  }
  if (y + h > work.bottom) {
    y = work.bottom - h;
  }
  return MoveWindow(window, x, y, w, h, TRUE);
}

LRESULT CDialogBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  DialogReply reply =
      DialogReplyFor(DispatchMessageMaps(*this, GetMessageMap(), message, wParam, lParam));
  HWND window = hwnd;
  if (reply.store && window != nullptr) {
    SetWindowLongPtrW(window, DWLP_MSGRESULT, reply.messageResult);
  }
  return reply.procResult;
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<CDialogBase*>(GetPropW(window, kThisProperty));
  if (self != nullptr) {
    if (message == WM_NCDESTROY) {
      // The last message of the window: its property list must be empty afterwards.
      RemovePropW(window, kThisProperty);
    }
    return self->HandleMessage(message, wParam, lParam);
  }
  if (message != WM_INITDIALOG) {
    return FALSE;
  }
  self = reinterpret_cast<CDialogBase*>(lParam);
  self->hwnd = window;
  SetPropW(window, kThisProperty, self);
  self->HandleMessage(message, wParam, lParam);
  if (self->centerOnInit) {
    self->CenterWindow(GetParent(window));
  }
  // TRUE: the dialog manager gives the default control the focus.
  return TRUE;
}

HWND CDialogBase::GetItem(int id) const {
  return GetDlgItem(hwnd, id);
}

std::wstring CDialogBase::GetItemText(int id) const {
  HWND window = hwnd;
  int length = GetWindowTextLengthW(GetDlgItem(window, id));
  if (length <= 0) {
    return std::wstring();
  }
  HANDLE heap = GetProcessHeap();
  size_t capacity = static_cast<size_t>(length) + 1;
  auto* buffer = static_cast<wchar_t*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, capacity * 2));
  if (buffer == nullptr) {
    return std::wstring();
  }
  GetDlgItemTextW(window, id, buffer, static_cast<int>(capacity));
  std::wstring text(buffer);
  HeapFree(heap, 0, buffer);
  return text;
}

BOOL CDialogBase::SetItemText(int id, const std::wstring& text) const {
  return SetDlgItemTextW(hwnd, id, text.c_str());
}

bool CDialogBase::PostCommand(WORD id, WORD code, LPARAM lParam) const {
  HWND window = hwnd;
  // PostMessageW with a null window would post to the calling thread instead.
  if (window == nullptr) {
    return false;
  }
  return PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, code), lParam) != FALSE;
}

LRESULT CDialogBase::PreCommand(WORD, WORD, HWND, WORD, WORD) {
  return 0;
}

LRESULT CDialogBase::PreNotify(WORD, NMHDR*) {
  return 0;
}

BOOL CDialogBase::PreTranslate(MSG*) {
  return FALSE;
}

BOOL CDialogBase::TranslateDialogMessage(MSG* msg) {
  return IsDialogMessageW(hwnd, msg);
}

LRESULT CDialogBase::OnClose(WPARAM wParam, LPARAM) {
  return CloseDialog(wParam) ? 1 : 0;
}

const MessageMap* CDialogBase::GetMessageMap() const {
  return ClassMessageMap();
}

const MessageMap* CDialogBase::ClassMessageMap() {
  static const MessageMapEntry rows[] = {
      MessageRow<CDialogBase>(WM_CLOSE, &CDialogBase::OnClose),
      EndOfMap(),
  };
  static const MessageMap map = {nullptr, rows};
  return &map;
}
