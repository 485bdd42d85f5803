// CDialogBase: a dialog made from a template resource, run with its own message loop so that
// it behaves like a modal dialog, with messages routed to member functions through
// per-class message maps (MessageMap.h).
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

struct MessageMap;

class CDialogBase {
 public:
  CDialogBase();
  // Not virtual: a dialog object is always destroyed as the class that made it.
  ~CDialogBase();
  CDialogBase(const CDialogBase&) = delete;
  CDialogBase& operator=(const CDialogBase&) = delete;

  // Creates the dialog from template `templateId` of the program's own module and runs its
  // message loop. Returns the wParam of the WM_QUIT that ended the loop (the result passed to
  // CloseDialog), or -1 when the dialog cannot be created.
  LRESULT RunModal(int templateId, HWND parent, bool show, bool centerOnInit);
  // Re-enables the parent, ends the loop with `result` and destroys the window. False when
  // there is no window.
  bool CloseDialog(WPARAM result);
  // Centres the dialog on `reference` (the desktop when null), kept inside the work area.
  BOOL CenterWindow(HWND reference);

  // The message-map lookup: walks the maps from this class's to the base's and returns what
  // the dialog procedure answers, having stored the message's result (DialogReplyFor in
  // DialogReply.h): a handler's nonzero result r gives r; kResultFalse gives TRUE with
  // FALSE as the message's result; 0 everywhere gives 0, not handled.
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The one dialog procedure of every CDialogBase window.
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // Helpers for a live window; worker threads call them too (the window thread serves them).
  HWND GetItem(int id) const;
  std::wstring GetItemText(int id) const;
  BOOL SetItemText(int id, const std::wstring& text) const;
  bool PostCommand(WORD id, WORD code, LPARAM lParam) const;

  // Hooks of the lookup and the loop, in slot order.
  virtual LRESULT PreCommand(WORD code, WORD id, HWND control, WORD firstId, WORD lastId);
  virtual LRESULT PreNotify(WORD idCtrl, NMHDR* header);
  virtual BOOL PreTranslate(MSG* msg);
  virtual BOOL TranslateDialogMessage(MSG* msg);
  virtual const MessageMap* GetMessageMap() const;
  // This class's own map, for GetMessageMap and for the base getter of derived maps.
  static const MessageMap* ClassMessageMap();

  // The dialog window; null before creation and after CloseDialog. Atomic because worker
  // threads read it while the window thread may be closing the dialog.
  std::atomic<HWND> hwnd;
  int templateId;
  int centerOnInit;

 protected:
  // The WM_CLOSE row of the base map.
  LRESULT OnClose(WPARAM wParam, LPARAM lParam);
};
