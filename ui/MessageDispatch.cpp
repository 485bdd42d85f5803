// The message-map lookup over rows.
#include "ui/MessageDispatch.h"

namespace {

// A WM_COMMAND row: nonzero code rows match code and first id, code-0 rows the id range.
bool MatchCommand(CDialogBase& target, const MessageMapEntry& row, WPARAM wParam, LPARAM lParam,
                  LRESULT& result) {
  WORD code = HIWORD(wParam);
  WORD id = LOWORD(wParam);
  HWND control = reinterpret_cast<HWND>(lParam);
  bool byCode = row.code != 0;
  if (byCode ? (code != row.code || id != row.firstId) : (id < row.firstId || id > row.lastId)) {
    return false;
  }
  WORD first = static_cast<WORD>(row.firstId);
  WORD last = static_cast<WORD>(row.lastId);
  result = target.PreCommand(code, id, control, first, last);
  if (result == 0) {
    // A code row's handler sees the one id as its range.
    result = byCode ? (target.*row.command)(code, id, control, id, id)
                    : (target.*row.command)(code, id, control, first, last);
  }
  return true;
}

// A WM_NOTIFY row. PreNotify has been offered the message before.
bool MatchNotify(CDialogBase& target, const MessageMapEntry& row, WPARAM wParam, LPARAM lParam,
                 LRESULT& result) {
  WORD idCtrl = LOWORD(wParam);
  NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
  if (header == nullptr) {
    return false;
  }
  bool matches = row.code != 0 ? (header->code == row.code && idCtrl == row.firstId)
                               : (header->idFrom >= row.firstId && header->idFrom <= row.lastId);
  if (!matches) {
    return false;
  }
  result = (target.*row.notify)(idCtrl, header);
  return true;
}

// Walks one map's rows; returns the result of the first matching row (or 0).
LRESULT WalkRows(CDialogBase& target, const MessageMapEntry* rows, UINT message, WPARAM wParam,
                 LPARAM lParam) {
  for (const MessageMapEntry* row = rows; row != nullptr && !row->IsEnd(); ++row) {
    if (row->message != message) {
      continue;
    }
    LRESULT result = 0;
    if (message == WM_COMMAND) {
      if (row->command != nullptr && MatchCommand(target, *row, wParam, lParam, result)) {
        return result;
      }
    } else if (message == WM_NOTIFY) {
      LRESULT pre = target.PreNotify(LOWORD(wParam), reinterpret_cast<NMHDR*>(lParam));
      if (pre != 0) {
        return pre;
      }
      if (row->notify != nullptr && MatchNotify(target, *row, wParam, lParam, result)) {
        return result;
      }
    } else if (row->other != nullptr) {
      return (target.*row->other)(wParam, lParam);
    }
  }
  return 0;
}

}  // namespace

LRESULT DispatchMessageMaps(CDialogBase& target, const MessageMap* map, UINT message, WPARAM wParam,
                            LPARAM lParam) {
  for (; map != nullptr; map = map->baseMap != nullptr ? map->baseMap() : nullptr) {
    LRESULT result = WalkRows(target, map->entries, message, wParam, lParam);
    if (result != 0) {
      return result;
    }
  }
  return 0;
}
