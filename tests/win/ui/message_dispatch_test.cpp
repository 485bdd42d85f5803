// The message-map lookup over rows, without a window: which row answers, in which map, with
// which arguments, when the search goes on to the base map, and what the dialog procedure
// answers for its result.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/MessageDispatch.h"
#include "ui/MessageMap.h"

namespace {

struct Call {
  std::string handler;
  WORD code;
  WORD id;
  WORD firstId;
  WORD lastId;
};

// Handlers that log their calls and return what the test sets.
class CProbeDialog : public CDialogBase {
 public:
  std::vector<Call> calls;
  LRESULT codeResult = 11;
  LRESULT rangeResult = 12;
  LRESULT appResult = 13;
  LRESULT preCommandResult = 0;
  LRESULT preNotifyResult = 0;
  int preNotifyCalls = 0;
  const MessageMap* map = nullptr;

  const MessageMap* GetMessageMap() const override { return map; }

  LRESULT OnCode(WORD c, WORD i, HWND, WORD f, WORD l) {
    return Log("code", c, i, f, l, codeResult);
  }
  LRESULT OnRange(WORD c, WORD i, HWND, WORD f, WORD l) {
    return Log("range", c, i, f, l, rangeResult);
  }
  LRESULT OnShadowed(WORD c, WORD i, HWND, WORD f, WORD l) {
    return Log("shadowed", c, i, f, l, 99);
  }
  LRESULT OnBaseCommand(WORD c, WORD i, HWND, WORD f, WORD l) {
    return Log("base", c, i, f, l, 21);
  }
  LRESULT OnNotifyCode(WORD idCtrl, NMHDR*) { return Log("notifyCode", 0, idCtrl, 0, 0, 31); }
  LRESULT OnNotifyRange(WORD idCtrl, NMHDR*) { return Log("notifyRange", 0, idCtrl, 0, 0, 32); }
  LRESULT OnApp(WPARAM, LPARAM) { return Log("app", 0, 0, 0, 0, appResult); }
  LRESULT OnAppShadowed(WPARAM, LPARAM) { return Log("appShadowed", 0, 0, 0, 0, 98); }
  LRESULT OnZero(WPARAM, LPARAM) { return Log("zero", 0, 0, 0, 0, 0); }
  LRESULT OnRefuse(WPARAM, LPARAM) { return Log("refuse", 0, 0, 0, 0, kResultFalse); }
  LRESULT OnBaseApp(WPARAM wParam, LPARAM) {
    return Log("baseApp", 0, 0, 0, 0, static_cast<LRESULT>(wParam));
  }

  LRESULT PreCommand(WORD c, WORD i, HWND, WORD f, WORD l) override {
    return Log("pre", c, i, f, l, preCommandResult);
  }
  LRESULT PreNotify(WORD, NMHDR*) override {
    ++preNotifyCalls;
    return preNotifyResult;
  }

  std::vector<std::string> Handlers() const {
    std::vector<std::string> names;
    for (const Call& call : calls) {
      if (call.handler != "pre") {
        names.push_back(call.handler);
      }
    }
    return names;
  }

 private:
  LRESULT Log(const char* name, WORD c, WORD i, WORD f, WORD l, LRESULT result) {
    calls.push_back({name, c, i, f, l});
    return result;
  }
};

const MessageMap* BaseMap() {
  static const MessageMapEntry rows[] = {
      MessageRow<CProbeDialog>(WM_APP + 1, &CProbeDialog::OnBaseApp),
      MessageRow<CProbeDialog>(WM_APP + 2, &CProbeDialog::OnBaseApp),
      CommandRow<CProbeDialog>(100, &CProbeDialog::OnBaseCommand),
      CommandRow<CProbeDialog>(120, &CProbeDialog::OnBaseCommand),
      EndOfMap(),
  };
  static const MessageMap map = {&CDialogBase::ClassMessageMap, rows};
  return &map;
}

const MessageMap* DerivedMap() {
  static const MessageMapEntry rows[] = {
      CommandCodeRow<CProbeDialog>(EN_CHANGE, 100, &CProbeDialog::OnCode),
      CommandRangeRow<CProbeDialog>(100, 110, &CProbeDialog::OnRange),
      CommandRow<CProbeDialog>(105, &CProbeDialog::OnShadowed),
      NotifyRow<CProbeDialog>(NM_CLICK, 300, 300, &CProbeDialog::OnNotifyCode),
      NotifyRow<CProbeDialog>(0, 300, 310, &CProbeDialog::OnNotifyRange),
      MessageRow<CProbeDialog>(WM_APP, &CProbeDialog::OnApp),
      MessageRow<CProbeDialog>(WM_APP, &CProbeDialog::OnAppShadowed),
      MessageRow<CProbeDialog>(WM_APP + 1, &CProbeDialog::OnZero),
      MessageRow<CProbeDialog>(WM_APP + 2, &CProbeDialog::OnRefuse),
      EndOfMap(),
  };
  static const MessageMap map = {&BaseMap, rows};
  return &map;
}

LRESULT Command(CProbeDialog& dialog, WORD code, WORD id) {
  return DispatchMessageMaps(dialog, dialog.map, WM_COMMAND, MAKEWPARAM(id, code), 0);
}

LRESULT Notify(CProbeDialog& dialog, WORD idCtrl, UINT_PTR idFrom, UINT code) {
  NMHDR header = {nullptr, idFrom, code};
  return DispatchMessageMaps(dialog, dialog.map, WM_NOTIFY, idCtrl,
                             reinterpret_cast<LPARAM>(&header));
}

class MessageDispatch : public ::testing::Test {
 protected:
  void SetUp() override { dialog.map = DerivedMap(); }
  CProbeDialog dialog;
};

TEST_F(MessageDispatch, CodeRowsMatchCodeAndFirstIdRangeRowsMatchAnyCodeInRange) {
  EXPECT_EQ(Command(dialog, EN_CHANGE, 100), 11);
  ASSERT_EQ(dialog.calls.size(), 2u);
  EXPECT_EQ(dialog.calls[0].handler, "pre");
  EXPECT_EQ(dialog.calls[0].firstId, 100);
  EXPECT_EQ(dialog.calls[1].handler, "code");
  EXPECT_EQ(dialog.calls[1].firstId, 100);  // a code row's handler sees id..id
  EXPECT_EQ(dialog.calls[1].lastId, 100);

  dialog.calls.clear();
  EXPECT_EQ(Command(dialog, EN_KILLFOCUS, 100), 12);  // other code: the range row
  EXPECT_EQ(Command(dialog, 0, 110), 12);
  ASSERT_EQ(dialog.Handlers(), (std::vector<std::string>{"range", "range"}));
  EXPECT_EQ(dialog.calls[1].firstId, 100);
  EXPECT_EQ(dialog.calls[1].lastId, 110);
  EXPECT_EQ(dialog.calls[3].id, 110);
  // EN_CHANGE from 101 is no code-row match (only firstId is compared): the range row.
  dialog.calls.clear();
  EXPECT_EQ(Command(dialog, EN_CHANGE, 101), 12);
  EXPECT_EQ(dialog.Handlers(), (std::vector<std::string>{"range"}));
}

TEST_F(MessageDispatch, OnlyTheFirstMatchingRowOfAMapAnswers) {
  EXPECT_EQ(Command(dialog, 0, 105), 12);  // the range row comes before the 105 row
  EXPECT_EQ(DispatchMessageMaps(dialog, dialog.map, WM_APP, 0, 0), 13);
  EXPECT_EQ(dialog.Handlers(), (std::vector<std::string>{"range", "app"}));
}

TEST_F(MessageDispatch, ZeroFromAHandlerGoesOnToTheBaseMap) {
  EXPECT_EQ(DispatchMessageMaps(dialog, dialog.map, WM_APP + 1, 77, 0), 77);
  EXPECT_EQ(dialog.Handlers(), (std::vector<std::string>{"zero", "baseApp"}));

  dialog.calls.clear();
  dialog.codeResult = 0;
  EXPECT_EQ(Command(dialog, EN_CHANGE, 100), 21);
  EXPECT_EQ(dialog.Handlers(), (std::vector<std::string>{"code", "base"}));

  // A zero everywhere: not handled.
  dialog.calls.clear();
  dialog.appResult = 0;
  EXPECT_EQ(DispatchMessageMaps(dialog, dialog.map, WM_APP, 0, 0), 0);
  EXPECT_EQ(dialog.Handlers(), (std::vector<std::string>{"app"}));
}

TEST_F(MessageDispatch, FalseResultIsHandledAndEndsTheLookup) {
  // It ends the lookup: the base map's row for the same message is not asked.
  EXPECT_EQ(DispatchMessageMaps(dialog, dialog.map, WM_APP + 2, 5, 0), kResultFalse);
  EXPECT_EQ(dialog.Handlers(), (std::vector<std::string>{"refuse"}));
}

TEST_F(MessageDispatch, UncoveredCommandsAndMessagesAreNotHandled) {
  EXPECT_EQ(Command(dialog, 0, 111), 0);
  EXPECT_EQ(Command(dialog, 0, IDCANCEL), 0);
  EXPECT_EQ(Command(dialog, 0, IDOK), 0);
  EXPECT_EQ(DispatchMessageMaps(dialog, dialog.map, WM_TIMER, 1, 0), 0);
  EXPECT_TRUE(dialog.Handlers().empty());
  EXPECT_EQ(Command(dialog, 0, 120), 21);  // found in the base map only
  EXPECT_EQ(DispatchMessageMaps(dialog, nullptr, WM_APP, 0, 0), 0);
}

TEST_F(MessageDispatch, PreCommandResultReplacesTheHandler) {
  dialog.preCommandResult = 5;
  EXPECT_EQ(Command(dialog, 0, 104), 5);
  ASSERT_EQ(dialog.calls.size(), 1u);
  EXPECT_EQ(dialog.calls[0].handler, "pre");
  EXPECT_EQ(dialog.calls[0].id, 104);
  EXPECT_EQ(dialog.calls[0].firstId, 100);  // the row's range
  EXPECT_EQ(dialog.calls[0].lastId, 110);
  EXPECT_EQ(Command(dialog, 0, 130), 0);  // PreCommand is asked only for a matching row
  EXPECT_EQ(dialog.calls.size(), 1u);
}

TEST_F(MessageDispatch, NotifyRowsByCodeAndByRangeAfterPreNotify) {
  EXPECT_EQ(Notify(dialog, 300, 300, NM_CLICK), 31);
  EXPECT_EQ(Notify(dialog, 300, 300, NM_DBLCLK), 32);  // other code: the range row
  EXPECT_EQ(Notify(dialog, 305, 305, NM_CLICK), 32);   // code row wants id 300
  EXPECT_EQ(Notify(dialog, 999, 311, NM_CLICK), 0);    // idFrom outside every range
  EXPECT_EQ(dialog.Handlers(),
            (std::vector<std::string>{"notifyCode", "notifyRange", "notifyRange"}));
  EXPECT_GT(dialog.preNotifyCalls, 0);

  dialog.calls.clear();
  dialog.preNotifyResult = 9;
  EXPECT_EQ(Notify(dialog, 300, 300, NM_CLICK), 9);
  EXPECT_TRUE(dialog.Handlers().empty());
}

TEST(MessageDispatchBase, BaseMapClosesOnWmCloseAndNothingElse) {
  CDialogBase dialog;
  const MessageMap* map = dialog.GetMessageMap();
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->baseMap, nullptr);
  // No window: CloseDialog refuses, so WM_CLOSE counts as not handled.
  EXPECT_EQ(dialog.HandleMessage(WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(dialog.HandleMessage(WM_COMMAND, IDOK, 0), 0);
  EXPECT_FALSE(dialog.CloseDialog(0));
}

}  // namespace
