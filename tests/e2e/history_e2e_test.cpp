// The shipped padwright.exe end to end with its history of runs: a successful update, one
// that failed reading the backup and one whose transfer was cut off each leave their record
// beside the saved backups; "Update history..." in the system menu shows them, newest first,
// and Copy puts the whole text on the clipboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "frontends/window/resource.h"
#include "platform/win/WinBackupFolder.h"
#include "platform/win/WindowsClock.h"
#include "sim/ControllerSimulator.h"
#include "tests/e2e/E2eSteps.h"
#include "tests/support/UserController.h"
#include "tests/win/support/ProductSession.h"
#include "tests/win/support/WindowProbe.h"
#include "workflows/RunHistory.h"

namespace {

// The history as the product keeps it under ProgramData.
KeptRuns StoredHistory() {
  static WindowsClock clock;
  static CWinBackupFolder folder(CWinBackupFolder::DefaultPath(), clock);
  KeptRuns history;
  EXPECT_TRUE(ReadRunHistory(&folder, &history));
  return history;
}

// The whole text of another process's control.
std::wstring LongTextOf(HWND control) {
  DWORD_PTR length = 0;
  SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 5000, &length);
  std::wstring text(length + 1, L'\0');
  SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_BLOCK, 5000, nullptr);
  text.resize(wcslen(text.c_str()));
  return text;
}

std::wstring ClipboardText() {
  std::wstring text;
  if (OpenClipboard(nullptr)) {
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
        text = chars;
        GlobalUnlock(data);
      }
    }
    CloseClipboard();
  }
  return text;
}

size_t Find(const std::wstring& text, const std::wstring& part, size_t from = 0) {
  return text.find(part, from);
}

}  // namespace

TEST(RunHistory, EveryUpdateIsKeptAndShownFromTheSystemMenu) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 4);
  ProductSession session(sim, 58 * 40);
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
  session.Click(IDC_UPDATE);
  ExpectOutcomeBox(session, L"Upgrade success", L"info", L"");
  WaitForTailRefresh(session);
  sim.Inject(Step::ButtonRead, 0, Fault::ShortReply);  // the version line reads no buttons
  session.Click(IDC_UPDATE);
  ExpectOutcomeBox(session, L"Upgrade failed!", L"error", L"");
  WaitForTailRefresh(session);
  ASSERT_TRUE(probe::WaitFor([&] { return session.Enabled(IDC_UPDATE); }, 20000));
  sim.ClearFaults();
  sim.Inject(Step::DataPacket, 20, Fault::DeviceGone);
  session.Click(IDC_UPDATE);
  ExpectOutcomeBox(session, L"Upgrade failed!", L"error", L"");

  const KeptRuns history = StoredHistory();
  ASSERT_EQ(history.records.size(), 3u);
  EXPECT_EQ(history.damaged, 0u);
  for (const RunRecord& record : history.records) {
    EXPECT_EQ(record.frontEnd, "window");
    EXPECT_EQ(record.kind, RunKind::kUpgrade);
    ASSERT_TRUE(record.image);
    EXPECT_EQ(record.image->name, "firmware.vxf");
    EXPECT_EQ(record.image->size, 58u * 40);
  }
  EXPECT_EQ(history.records[0].outcome, RunOutcome::kSucceeded);
  EXPECT_EQ(*history.records[0].phaseMs[static_cast<size_t>(RunPhase::kPowerCycle)] / 1000, 3u);
  EXPECT_EQ(history.records[1].failedPhase, RunPhase::kBackupRead);
  EXPECT_EQ(history.records[2].failedPhase, RunPhase::kTransfer);

  PostMessageW(session.Window(), WM_SYSCOMMAND, IDM_HISTORY, 0);
  HWND view = session.WaitForBox(10000);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(probe::TextOf(view), L"Update history");
  const std::wstring text = LongTextOf(GetDlgItem(view, IDC_HISTORY_TEXT));
  const size_t cut = Find(text, L"Update: failed at the transfer");
  const size_t read = Find(text, L"Update: failed at the backup read", cut);
  const size_t success = Find(text, L"Update: success", read);
  EXPECT_NE(cut, std::wstring::npos) << text;
  EXPECT_NE(read, std::wstring::npos) << text;
  EXPECT_NE(success, std::wstring::npos) << text;
  // The view fits inside the main window's monitor work area as the main window does.
  const RECT viewRect = probe::RectOf(view);
  const RECT mainRect = probe::RectOf(session.Window());
  EXPECT_LE(viewRect.bottom - viewRect.top, mainRect.bottom - mainRect.top);
  session.Screenshot(L"history", view);
  PostMessageW(view, WM_COMMAND, IDC_HISTORY_COPY, 0);
  EXPECT_TRUE(probe::WaitFor([&] { return ClipboardText() == text; }, 5000));
  EXPECT_TRUE(session.Answer(view, IDCANCEL));
  EXPECT_EQ(session.Close(), 0u);
}
