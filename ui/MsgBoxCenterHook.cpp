// CMsgBoxCenterHook: a per-thread WH_CBT hook that centres message boxes over their owner.
#include "ui/MsgBoxCenterHook.h"

HHOOK msgBoxHook = nullptr;

namespace {

// The class atom of the system's dialog class "#32770", which message boxes use.
constexpr ULONG_PTR kDialogClassAtom = 0x8002;

// The box this thread created last and has not activated yet, with its reference window.
thread_local HWND pendingBox = nullptr;
thread_local HWND pendingReference = nullptr;

// The top-left corner that centres a cx × cy window on `reference`. No clamping: a box wider
// than its owner sticks out on both sides.
POINT CentreOn(HWND reference, int cx, int cy) {
  RECT r = {};
  GetWindowRect(reference, &r);
  return {r.left + ((r.right - r.left) - cx) / 2, r.top + ((r.bottom - r.top) - cy) / 2};
}

void PlaceOnCreation(HWND created, CREATESTRUCTW* create) {
  // For a message box the parent field is its owner.
  HWND reference = create->hwndParent != nullptr ? create->hwndParent : GetDesktopWindow();
  POINT at = CentreOn(reference, create->cx, create->cy);
  create->x = at.x;
  create->y = at.y;
  pendingBox = created;
  pendingReference = reference;
}

// Some message-box implementations (Wine's) size and place the box again while initialising
// it, after its creation; its first activation puts it back over the owner, at its final size.
void PlaceOnFirstActivation(HWND box) {
  pendingBox = nullptr;
  RECT own = {};
  GetWindowRect(box, &own);
  POINT at = CentreOn(pendingReference, own.right - own.left, own.bottom - own.top);
  if (at.x != own.left || at.y != own.top) {
    SetWindowPos(box, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace

LRESULT CALLBACK MsgBoxHookProc(int code, WPARAM wParam, LPARAM lParam) {
  HWND window = reinterpret_cast<HWND>(wParam);
  if (code == HCBT_CREATEWND && GetClassLongPtrW(window, GCW_ATOM) == kDialogClassAtom) {
    PlaceOnCreation(window, reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs);
  } else if (code == HCBT_ACTIVATE && window != nullptr && window == pendingBox) {
    PlaceOnFirstActivation(window);
  }
  return CallNextHookEx(msgBoxHook, code, wParam, lParam);
}

CMsgBoxCenterHook::CMsgBoxCenterHook() {
  msgBoxHook = SetWindowsHookExW(WH_CBT, MsgBoxHookProc, nullptr, GetCurrentThreadId());
}

CMsgBoxCenterHook::~CMsgBoxCenterHook() {
  UnhookWindowsHookEx(msgBoxHook);
  pendingBox = nullptr;
}
