// Message-box placement: a box created by a thread that holds the hook starts centred over
// its owner; other threads' boxes and boxes after the hook's end keep the system's place.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "tests/win/support/WindowProbe.h"
#include "ui/MsgBoxCenterHook.h"

namespace {

HWND MakeOwner(int x, int y, int w, int h) {
  return CreateWindowExW(0, L"Static", L"owner", WS_POPUP | WS_VISIBLE | WS_BORDER, x, y, w, h,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

struct BoxSeen {
  RECT rect = {};
  std::wstring text;
  bool found = false;
};

// Finds the box with `caption` of thread `thread`, notes it and presses its OK button, while
// this thread keeps serving its own windows (the owner lives here).
BoxSeen CloseBox(DWORD thread, const wchar_t* caption) {
  BoxSeen seen;
  HWND box = probe::WaitForWindow(thread, 0, L"#32770", caption);
  if (box != nullptr) {
    seen.found = true;
    seen.rect = probe::RectOf(box);
    seen.text = probe::MessageBoxText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  return seen;
}

// Runs `body` on a new thread while this one serves messages until it ends.
void RunBeside(const std::function<void()>& body) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    body();
    done = true;
  });
  probe::WaitFor([&] { return done.load(); }, 20000);
  worker.join();
}

// Shows a message box over `owner` from a new thread and closes it, telling where it was.
// That thread holds the hook while the box is up when `hooked`, or held it only before.
BoxSeen ShowBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags, bool hooked) {
  std::atomic<DWORD> thread{0};
  BoxSeen seen;
  std::thread closer;
  RunBeside([&] {
    thread = GetCurrentThreadId();
    std::unique_ptr<CMsgBoxCenterHook> hook = std::make_unique<CMsgBoxCenterHook>();
    EXPECT_NE(msgBoxHook, nullptr);
    if (!hooked) {
      hook.reset();
    }
    closer = std::thread([&] { seen = CloseBox(thread, caption); });
    MessageBoxW(owner, text, caption, flags);
  });
  closer.join();
  return seen;
}

int CentreX(const RECT& r) {
  return (r.left + r.right) / 2;
}
int CentreY(const RECT& r) {
  return (r.top + r.bottom) / 2;
}

TEST(MsgBoxCenterHook, BoxOfTheHookingThreadIsCentredOverItsOwner) {
  HWND owner = MakeOwner(40, 60, 700, 500);
  BoxSeen seen = ShowBox(owner, L"Upgrade success", L"hooked", MB_ICONINFORMATION, true);
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text, L"Upgrade success");
  RECT o = probe::RectOf(owner);
  int w = seen.rect.right - seen.rect.left;
  int h = seen.rect.bottom - seen.rect.top;
  EXPECT_EQ(seen.rect.left, o.left + ((o.right - o.left) - w) / 2);
  EXPECT_EQ(seen.rect.top, o.top + ((o.bottom - o.top) - h) / 2);
  DestroyWindow(owner);
}

TEST(MsgBoxCenterHook, BoxWiderThanItsOwnerSticksOutOnBothSides) {
  HWND owner = MakeOwner(300, 300, 60, 30);
  BoxSeen seen =
      ShowBox(owner, L"A text much wider than the tiny owner window", L"wide", MB_OK, true);
  ASSERT_TRUE(seen.found);
  RECT o = probe::RectOf(owner);
  EXPECT_LT(seen.rect.left, o.left);
  EXPECT_GT(seen.rect.right, o.right);
  EXPECT_NEAR(CentreX(seen.rect), CentreX(o), 1);
  EXPECT_NEAR(CentreY(seen.rect), CentreY(o), 1);
  DestroyWindow(owner);
}

TEST(MsgBoxCenterHook, OtherThreadsAndLaterBoxesAreNotMoved) {
  // An owner in the corner: a centred box would start at negative coordinates.
  HWND owner = MakeOwner(0, 0, 80, 40);
  RECT o = probe::RectOf(owner);
  std::atomic<bool> hookHeld{false};
  std::atomic<bool> release{false};
  std::thread holder([&] {
    CMsgBoxCenterHook hook;
    hookHeld = true;
    while (!release) {
      Sleep(5);
    }
  });
  while (!hookHeld) {
    Sleep(5);
  }
  // This thread holds no hook.
  DWORD self = GetCurrentThreadId();
  BoxSeen seen;
  std::thread closer([&] { seen = CloseBox(self, L"unhooked"); });
  MessageBoxW(owner, L"Invalid file path", L"unhooked", MB_ICONERROR);
  closer.join();
  release = true;
  holder.join();
  ASSERT_TRUE(seen.found);
  EXPECT_GE(seen.rect.left, 0);
  EXPECT_GE(seen.rect.top, 0);
  EXPECT_FALSE(CentreX(seen.rect) == CentreX(o) && CentreY(seen.rect) == CentreY(o));

  // After the hook object is gone its handle is dead, and the same thread's next box stays
  // where the system puts it.
  EXPECT_FALSE(UnhookWindowsHookEx(msgBoxHook));
  BoxSeen later = ShowBox(owner, L"after the hook", L"after", MB_OK, false);
  ASSERT_TRUE(later.found);
  EXPECT_GE(later.rect.left, 0);
  EXPECT_GE(later.rect.top, 0);
  DestroyWindow(owner);
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

// The creation step on its own (Wine ignores a hook's changes to the creation values, so this
// calls the procedure directly): the position fields of a #32770 window's CREATESTRUCTW are
// set to centre it on its owner, or on the desktop without one; other classes are untouched.
TEST(MsgBoxCenterHook, CreationValuesOfDialogWindowsAreCentredOnTheOwner) {
  HWND owner = MakeOwner(100, 80, 401, 300);
  struct {
    DLGTEMPLATE header;
    WORD menu, windowClass, title;
  } dialogTemplate = {{WS_POPUP | WS_CAPTION, 0, 0, 10, 10, 120, 60}, 0, 0, 0};
  HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &dialogTemplate.header, owner,
                                           QuietDialog, 0);
  ASSERT_NE(dialog, nullptr);
  CREATESTRUCTW create = {};
  create.hwndParent = owner;
  create.cx = 250;
  create.cy = 120;
  CBT_CREATEWNDW cbt = {&create, nullptr};
  MsgBoxHookProc(HCBT_CREATEWND, reinterpret_cast<WPARAM>(dialog), reinterpret_cast<LPARAM>(&cbt));
  EXPECT_EQ(create.x, 100 + (401 - 250) / 2);  // 175: truncated
  EXPECT_EQ(create.y, 80 + (300 - 120) / 2);
  EXPECT_EQ(create.cx, 250);

  create.hwndParent = nullptr;
  MsgBoxHookProc(HCBT_CREATEWND, reinterpret_cast<WPARAM>(dialog), reinterpret_cast<LPARAM>(&cbt));
  RECT desktop = probe::RectOf(GetDesktopWindow());
  EXPECT_EQ(create.x, desktop.left + ((desktop.right - desktop.left) - 250) / 2);
  EXPECT_EQ(create.y, desktop.top + ((desktop.bottom - desktop.top) - 120) / 2);

  CREATESTRUCTW other = {};
  other.hwndParent = owner;
  other.x = 7;
  other.y = 9;
  other.cx = 250;
  other.cy = 120;
  CBT_CREATEWNDW otherCbt = {&other, nullptr};
  MsgBoxHookProc(HCBT_CREATEWND, reinterpret_cast<WPARAM>(owner),
                 reinterpret_cast<LPARAM>(&otherCbt));
  EXPECT_EQ(other.x, 7);
  EXPECT_EQ(other.y, 9);
  DestroyWindow(dialog);
  DestroyWindow(owner);
}

TEST(MsgBoxCenterHook, OtherWindowClassesKeepTheirPlace) {
  std::atomic<DWORD> thread{0};
  RECT placed = {};
  RunBeside([&] {
    CMsgBoxCenterHook hook;
    HWND plain = CreateWindowExW(0, L"Static", L"plain", WS_POPUP, 123, 45, 67, 89, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    placed = probe::RectOf(plain);
    DestroyWindow(plain);
  });
  EXPECT_EQ(placed.left, 123);
  EXPECT_EQ(placed.top, 45);
}

}  // namespace
