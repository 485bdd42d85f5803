// Steps that the end-to-end tests share (see E2eSteps.h).
#include "tests/e2e/E2eSteps.h"

#include <gtest/gtest.h>

#include "frontends/window/resource.h"
#include "tests/win/support/WindowProbe.h"

void ExpectCentredOver(HWND box, HWND owner) {
  RECT b = probe::RectOf(box);
  RECT o = probe::RectOf(owner);
  EXPECT_NEAR(b.left, o.left + ((o.right - o.left) - (b.right - b.left)) / 2, 1);
  EXPECT_NEAR(b.top, o.top + ((o.bottom - o.top) - (b.bottom - b.top)) / 2, 1);
}

HWND ExpectBox(ProductSession& session, const std::wstring& text, const std::wstring& caption,
               bool statusToo) {
  HWND box = session.WaitForBox(kSequenceMs);
  EXPECT_NE(box, nullptr) << "no box; status: " << testing::PrintToString(session.Text(IDC_STATUS));
  if (box == nullptr) {
    return nullptr;
  }
  EXPECT_EQ(probe::MessageBoxText(box), text);
  EXPECT_EQ(probe::TextOf(box), caption);
  if (statusToo) {
    EXPECT_EQ(session.Text(IDC_STATUS), text);
  }
  ExpectCentredOver(box, session.Window());
  return box;
}

void ExpectOutcomeBox(ProductSession& session, const std::wstring& text,
                      const std::wstring& caption, const std::wstring& screenshot) {
  HWND box = ExpectBox(session, text, caption);
  ASSERT_NE(box, nullptr);
  if (!screenshot.empty()) {
    session.Screenshot(screenshot, box);
  }
  EXPECT_TRUE(session.Dismiss(box));
}

void WaitForTailRefresh(ProductSession& session) {
  EXPECT_TRUE(probe::WaitFor([&] { return !session.Text(IDC_VERSION).empty(); }, 20000));
}
