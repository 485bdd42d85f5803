// The "Update history" view (see HistoryDlg.h).
#include "frontends/window/HistoryDlg.h"

#include <cstring>

#include "frontends/window/HistoryText.h"
#include "frontends/window/resource.h"
#include "ui/MessageMap.h"
#include "workflows/RunHistory.h"

namespace {

std::wstring WideOf(const std::string& utf8) {
  if (utf8.empty()) {
    return {};
  }
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(length > 0 ? static_cast<size_t>(length) : 0, L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
  }
  return wide;
}

// The whole of `text` as the clipboard's Unicode text; false when the clipboard refused it.
bool CopyToClipboard(HWND owner, const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) {
    return false;
  }
  void* target = GlobalLock(memory);
  if (target == nullptr) {
    GlobalFree(memory);
    return false;
  }
  std::memcpy(target, text.c_str(), bytes);
  GlobalUnlock(memory);
  // A clipboard manager (or any program reading it) holds the clipboard for a moment: asked
  // again for up to a second.
  bool open = OpenClipboard(owner) != FALSE;
  for (int attempt = 1; !open && attempt < 50; ++attempt) {
    Sleep(20);
    open = OpenClipboard(owner) != FALSE;
  }
  if (!open) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  // Once taken, the memory is the clipboard's.
  const bool taken = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  if (!taken) {
    GlobalFree(memory);
  }
  return taken;
}

}  // namespace

const MessageMap* CHistoryDlg::GetMessageMap() const {
  return ClassMessageMap();
}

const MessageMap* CHistoryDlg::ClassMessageMap() {
  static const MessageMapEntry rows[] = {
      MessageRow<CHistoryDlg>(WM_INITDIALOG, &CHistoryDlg::OnInitDialog),
      CommandRow<CHistoryDlg>(IDC_HISTORY_COPY, &CHistoryDlg::OnCopy),
      CommandRow<CHistoryDlg>(IDCANCEL, &CHistoryDlg::OnCancel),
      EndOfMap(),
  };
  static const MessageMap map = {&CDialogBase::ClassMessageMap, rows};
  return &map;
}

LRESULT CHistoryDlg::OnInitDialog(WPARAM, LPARAM) {
  SetItemText(IDC_HISTORY_TEXT, text_);
  // The dialog manager selects all of an edit it gives the focus to; nothing is selected.
  PostMessageW(GetItem(IDC_HISTORY_TEXT), EM_SETSEL, 0, 0);
  return 1;
}

LRESULT CHistoryDlg::OnCopy(WORD, WORD, HWND, WORD, WORD) {
  if (!CopyToClipboard(hwnd, text_)) {
    MessageBoxW(hwnd,
                L"The history could not be copied: another program is using the clipboard. "
                L"Press Copy again.",
                L"error", MB_OK | MB_ICONERROR);
  }
  return 1;
}

LRESULT CHistoryDlg::OnCancel(WORD, WORD, HWND, WORD, WORD) {
  CloseDialog(IDCANCEL);
  return 1;
}

void ShowUpdateHistory(HWND owner, BackupFolder* backups) {
  KeptRuns history;
  std::wstring text;
  if (ReadRunHistory(backups, &history)) {
    text = WideOf(HistoryViewText(history));
  } else {
    text = L"The history could not be read.\r\n";
  }
  CHistoryDlg dialog(std::move(text));
  dialog.RunModal(IDD_HISTORY, owner, true, true);
}
