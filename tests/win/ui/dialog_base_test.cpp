// CDialogBase with a real window from a test template: the loop's result, the message
// result, Escape and Enter, parent handling, centring and the control helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/win/ui/TestDialogIds.h"
#include "tests/win/support/WindowProbe.h"
#include "ui/MessageMap.h"

namespace {

constexpr UINT kScript = WM_APP + 20;
constexpr UINT kAnswer = WM_APP + 21;

// Runs `script` once the loop is running, and logs the commands that reach the maps.
class CScriptDialog : public CDialogBase {
 public:
  std::function<void(CScriptDialog&)> script;
  std::vector<WORD> commandIds;
  bool propertyWasSet = false;

  const MessageMap* GetMessageMap() const override {
    static const MessageMapEntry rows[] = {
        MessageRow<CScriptDialog>(WM_INITDIALOG, &CScriptDialog::OnInit),
        MessageRow<CScriptDialog>(kScript, &CScriptDialog::OnScript),
        MessageRow<CScriptDialog>(kAnswer, &CScriptDialog::OnAnswer),
        CommandRangeRow<CScriptDialog>(0, 0xFFFF, &CScriptDialog::OnAnyCommand),
        EndOfMap(),
    };
    static const MessageMap map = {&CDialogBase::ClassMessageMap, rows};
    return &map;
  }
  // Logs every command and leaves it unhandled.
  LRESULT OnAnyCommand(WORD, WORD id, HWND, WORD, WORD) {
    commandIds.push_back(id);
    return 0;
  }
  LRESULT OnInit(WPARAM, LPARAM) {
    propertyWasSet = GetPropW(hwnd, L"this") == this;
    PostMessageW(hwnd, kScript, 0, 0);
    return 1;
  }
  LRESULT OnScript(WPARAM, LPARAM) {
    if (script) {
      script(*this);
    }
    return 1;
  }
  LRESULT OnAnswer(WPARAM, LPARAM) { return 0x1234; }
};

HWND MakePopup(int x, int y, int w, int h) {
  return CreateWindowExW(0, L"Static", L"reference", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

RECT WorkArea() {
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

TEST(DialogBase, CloseResultEndsTheLoopAndSecondCloseFails) {
  CScriptDialog dialog;
  bool secondClose = true;
  HWND closed = nullptr;
  dialog.script = [&](CScriptDialog& d) {
    closed = d.hwnd;
    PostMessageW(d.hwnd, WM_CLOSE, 42, 0);
  };
  EXPECT_EQ(dialog.RunModal(IDD_TEST, nullptr, true, false), 42);
  EXPECT_TRUE(dialog.propertyWasSet);
  EXPECT_EQ(dialog.hwnd.load(), nullptr);
  EXPECT_FALSE(IsWindow(closed));
  secondClose = dialog.CloseDialog(7);
  EXPECT_FALSE(secondClose);

  // A close with wParam 0, as from the caption's close button.
  CScriptDialog again;
  again.script = [](CScriptDialog& d) { PostMessageW(d.hwnd, WM_CLOSE, 0, 0); };
  EXPECT_EQ(again.RunModal(IDD_TEST, nullptr, true, false), 0);
}

TEST(DialogBase, MissingTemplateReturnsMinusOneAndLeavesParentEnabled) {
  HWND parent = MakePopup(10, 10, 50, 50);
  CScriptDialog dialog;
  EXPECT_EQ(dialog.RunModal(9999, parent, true, true), -1);
  EXPECT_EQ(dialog.hwnd.load(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(parent));
  DestroyWindow(parent);
}

TEST(DialogBase, NonzeroHandlerResultBecomesTheMessageResult) {
  CScriptDialog dialog;
  LRESULT answer = 0;
  LRESULT unhandled = -5;
  dialog.script = [&](CScriptDialog& d) {
    answer = SendMessageW(d.hwnd, kAnswer, 0, 0);
    unhandled = SendMessageW(d.hwnd, WM_APP + 30, 0, 0);
    d.CloseDialog(1);
  };
  EXPECT_EQ(dialog.RunModal(IDD_TEST, nullptr, true, false), 1);
  EXPECT_EQ(answer, 0x1234);
  EXPECT_EQ(unhandled, 0);
}

TEST(DialogBase, EscapeAndEnterBecomeCommandsThatChangeNothing) {
  CScriptDialog dialog;
  bool stillOpen = false;
  dialog.script = [&](CScriptDialog& d) {
    HWND edit = d.GetItem(IDC_TEST_EDIT);
    SetFocus(edit);
    PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(d.hwnd, WM_NULL, 0, 0);
    d.script = [&](CScriptDialog& d2) {
      stillOpen = IsWindow(d2.hwnd) && IsWindowVisible(d2.hwnd);
      PostMessageW(d2.hwnd, WM_CLOSE, 3, 0);
    };
    PostMessageW(d.hwnd, kScript, 0, 0);
  };
  EXPECT_EQ(dialog.RunModal(IDD_TEST, nullptr, true, false), 3);
  EXPECT_TRUE(stillOpen);
  // Both keys did reach the maps as IDCANCEL and IDOK, and nothing answered them.
  EXPECT_NE(std::find(dialog.commandIds.begin(), dialog.commandIds.end(), IDCANCEL),
            dialog.commandIds.end());
  EXPECT_NE(std::find(dialog.commandIds.begin(), dialog.commandIds.end(), IDOK),
            dialog.commandIds.end());
}

TEST(DialogBase, ParentIsDisabledWhileRunningAndTheDialogStartsCentredOnIt) {
  RECT work = WorkArea();
  int cx = (work.left + work.right) / 2;
  int cy = (work.top + work.bottom) / 2;
  HWND parent = MakePopup(cx - 300, cy - 200, 600, 400);
  CScriptDialog dialog;
  bool parentDisabled = false;
  RECT placed = {};
  dialog.script = [&](CScriptDialog& d) {
    parentDisabled = !IsWindowEnabled(parent);
    placed = probe::RectOf(d.hwnd);
    d.CloseDialog(0);
  };
  EXPECT_EQ(dialog.RunModal(IDD_TEST, parent, true, true), 0);
  EXPECT_TRUE(parentDisabled);
  EXPECT_TRUE(IsWindowEnabled(parent));
  RECT p = probe::RectOf(parent);
  int w = placed.right - placed.left;
  int h = placed.bottom - placed.top;
  EXPECT_EQ(placed.left, p.left + (600 - w) / 2);
  EXPECT_EQ(placed.top, p.top + (400 - h) / 2);
  DestroyWindow(parent);
}

TEST(DialogBase, CenterWindowClampsLowSideToZeroAndHighSideToTheWorkArea) {
  RECT work = WorkArea();
  CScriptDialog dialog;
  RECT high = {}, low = {}, inside = {};
  int w = 0, h = 0;
  dialog.script = [&](CScriptDialog& d) {
    RECT own = probe::RectOf(d.hwnd);
    w = own.right - own.left;
    h = own.bottom - own.top;
    HWND nearCorner = MakePopup(work.right - 20, work.bottom - 20, 40, 40);
    d.CenterWindow(nearCorner);
    high = probe::RectOf(d.hwnd);
    MoveWindow(nearCorner, -400, -300, 40, 40, TRUE);
    d.CenterWindow(nearCorner);
    low = probe::RectOf(d.hwnd);
    MoveWindow(nearCorner, 500, 300, 41, 41, TRUE);
    d.CenterWindow(nearCorner);
    inside = probe::RectOf(d.hwnd);
    DestroyWindow(nearCorner);
    d.CloseDialog(0);
  };
  dialog.RunModal(IDD_TEST, nullptr, true, false);
  EXPECT_EQ(high.right, work.right);
  EXPECT_EQ(high.bottom, work.bottom);
  EXPECT_EQ(high.right - high.left, w);  // moved, not resized
  EXPECT_EQ(low.left, 0);
  EXPECT_EQ(low.top, 0);
  // Truncating division: (41 - w) / 2 rounds toward zero.
  EXPECT_EQ(inside.left, 500 + (41 - w) / 2);
  EXPECT_EQ(inside.top, 300 + (41 - h) / 2);
}

TEST(DialogBase, ItemTextHelpersAndPostedCommands) {
  CScriptDialog dialog;
  std::wstring empty = L"x";
  std::wstring longText(300, L'a');
  longText += L"\u5b8b\u4f53";
  std::wstring readBack;
  bool posted = false;
  dialog.script = [&](CScriptDialog& d) {
    empty = d.GetItemText(IDC_TEST_EDIT);
    d.SetItemText(IDC_TEST_EDIT, longText);
    readBack = d.GetItemText(IDC_TEST_EDIT);
    posted = d.PostCommand(777, 3, 0);
    PostMessageW(d.hwnd, WM_CLOSE, 0, 0);
  };
  dialog.RunModal(IDD_TEST, nullptr, true, false);
  EXPECT_EQ(empty, L"");
  EXPECT_EQ(readBack, longText);
  EXPECT_TRUE(posted);
  EXPECT_NE(std::find(dialog.commandIds.begin(), dialog.commandIds.end(), 777),
            dialog.commandIds.end());
  EXPECT_FALSE(dialog.PostCommand(777, 0, 0));  // no window any more
}

}  // namespace
