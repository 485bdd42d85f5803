// What the dialog procedure answers for a message-map lookup's result, and what it stores as
// the message's result: the rule that lets a handler answer FALSE (WM_QUERYENDSESSION).
#include <gtest/gtest.h>

#include "ui/DialogReply.h"

TEST(DialogReply, FalseIsHandledWithFalseStoredWhileZeroStaysUnhandled) {
  // "Handled" to the dialog manager, with FALSE as the message's result.
  constexpr DialogReply refused = DialogReplyFor(kResultFalse);
  EXPECT_EQ(refused.procResult, 1);
  EXPECT_TRUE(refused.store);
  EXPECT_EQ(refused.messageResult, 0);
  // 0 leaves the message to the dialog manager's default; nothing is stored.
  constexpr DialogReply unhandled = DialogReplyFor(0);
  EXPECT_EQ(unhandled.procResult, 0);
  EXPECT_FALSE(unhandled.store);
  // Any other result is both answered and stored as it is.
  constexpr DialogReply plain = DialogReplyFor(7);
  EXPECT_EQ(plain.procResult, 7);
  EXPECT_TRUE(plain.store);
  EXPECT_EQ(plain.messageResult, 7);
}
