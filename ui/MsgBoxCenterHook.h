// CMsgBoxCenterHook: while one is alive, every dialog-class window (a message box) that the
// calling thread creates starts centred over the window that owns it.
#pragma once

#include <windows.h>

// The hook installed last; null until the first CMsgBoxCenterHook.
extern HHOOK msgBoxHook;

// The WH_CBT procedure: moves new #32770 windows to the centre of their owner (the desktop
// when they have none), never refusing a creation.
LRESULT CALLBACK MsgBoxHookProc(int code, WPARAM wParam, LPARAM lParam);

class CMsgBoxCenterHook {
 public:
  // Installs the hook for the calling thread only.
  CMsgBoxCenterHook();
  // Removes the hook that msgBoxHook holds; call on the thread that made this object.
  ~CMsgBoxCenterHook();
  CMsgBoxCenterHook(const CMsgBoxCenterHook&) = delete;
  CMsgBoxCenterHook& operator=(const CMsgBoxCenterHook&) = delete;
};
