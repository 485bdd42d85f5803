// What the dialog procedure makes of a message-map lookup's result. Portable (results are
// intptr_t, the width of LRESULT and INT_PTR), so that the rule is proven without Windows.
#pragma once

#include <cstdint>
#include <limits>

// A handler's result for "handled, and the message's result is FALSE". A plain 0 means "not
// handled here" and lets the lookup go on to the base map, so a handler whose answer is FALSE
// (WM_QUERYENDSESSION refusing the end of the session) returns this instead.
inline constexpr intptr_t kResultFalse = std::numeric_limits<intptr_t>::min();

// What the dialog procedure returns, and the message result it stores first (DWLP_MSGRESULT)
// when `store` is set. 0 (not handled): FALSE, nothing stored, so the dialog manager's default
// applies. kResultFalse: TRUE, with FALSE as the message's result. Any other result r: r,
// stored as the message's result.
struct DialogReply {
  intptr_t procResult;
  bool store;
  intptr_t messageResult;
};

constexpr DialogReply DialogReplyFor(intptr_t lookupResult) {
  if (lookupResult == 0) {
    return {0, false, 0};
  }
  if (lookupResult == kResultFalse) {
    return {1, true, 0};
  }
  return {lookupResult, true, lookupResult};
}
