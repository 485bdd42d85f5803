// Message maps: constant tables of rows (message, notification code, control-id range,
// member handler) that route a dialog's messages to member functions. Each class has one map
// whose base getter leads to its base class's map.
#pragma once

#include <windows.h>

#include "ui/DialogBase.h"
#include "ui/DialogReply.h"

// Handler shapes by row kind. Rows of derived classes store their handlers converted to these
// base-class member pointers; they are only ever called on an object of the owning class.
using CommandHandler = LRESULT (CDialogBase::*)(WORD code, WORD id, HWND control, WORD firstId,
                                                WORD lastId);
using NotifyHandler = LRESULT (CDialogBase::*)(WORD idCtrl, NMHDR* header);
using MessageHandler = LRESULT (CDialogBase::*)(WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
  // Exactly one handler is set, the one of the row's kind; a row with none ends the table.
  CommandHandler command;
  NotifyHandler notify;
  MessageHandler other;
  UINT message;
  // WM_COMMAND / WM_NOTIFY: the notification code, 0 for any code within the id range.
  UINT code;
  UINT firstId;
  UINT lastId;

  constexpr bool IsEnd() const { return !command && !notify && !other; }
};

struct MessageMap {
  const MessageMap* (*baseMap)();  // null for the root class
  const MessageMapEntry* entries;
};

// Row builders, so that a table reads as a list of (message, ids, handler). The tables are
// function-local statics, built once on first use under thread-safe static initialisation
// (converting a derived member pointer is not a constant expression for every compiler).

// A WM_COMMAND row for any code from the controls firstId..lastId.
template <class T>
inline MessageMapEntry CommandRangeRow(UINT firstId, UINT lastId,
                                       LRESULT (T::*handler)(WORD, WORD, HWND, WORD, WORD)) {
  return {static_cast<CommandHandler>(handler), nullptr, nullptr, WM_COMMAND, 0, firstId, lastId};
}
// A WM_COMMAND row for any code from one control.
template <class T>
inline MessageMapEntry CommandRow(UINT id, LRESULT (T::*handler)(WORD, WORD, HWND, WORD, WORD)) {
  return CommandRangeRow<T>(id, id, handler);
}
// A WM_COMMAND row for one notification code from one control.
template <class T>
inline MessageMapEntry CommandCodeRow(UINT code, UINT id,
                                      LRESULT (T::*handler)(WORD, WORD, HWND, WORD, WORD)) {
  return {static_cast<CommandHandler>(handler), nullptr, nullptr, WM_COMMAND, code, id, id};
}
// A WM_NOTIFY row for one code from one control (code 0: any code from firstId..lastId).
template <class T>
inline MessageMapEntry NotifyRow(UINT code, UINT firstId, UINT lastId,
                                 LRESULT (T::*handler)(WORD, NMHDR*)) {
  return {nullptr, static_cast<NotifyHandler>(handler), nullptr, WM_NOTIFY, code, firstId, lastId};
}
// A row for any other message.
template <class T>
inline MessageMapEntry MessageRow(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
  return {nullptr, nullptr, static_cast<MessageHandler>(handler), message, 0, 0, 0};
}
inline MessageMapEntry EndOfMap() {
  return {nullptr, nullptr, nullptr, 0, 0, 0, 0};
}
