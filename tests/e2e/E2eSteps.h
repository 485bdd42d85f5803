// Steps that the end-to-end tests of the shipped exe share: waiting for and answering the
// outcome boxes, and the texts they wait for.
#pragma once

#include <windows.h>

#include <string>

#include "tests/win/support/ProductSession.h"

inline constexpr DWORD kSequenceMs = 90000;
inline const std::wstring kInitializeOk = L"Initialize ok\uFF0CYou can force an upgrade now\uFF01";

// A box starts centred over its owner, whatever the owner's place.
void ExpectCentredOver(HWND box, HWND owner);
// Waits for the next box and checks its text and caption (and the status line, when
// `statusToo`), and that it is centred over the window; null when none came.
HWND ExpectBox(ProductSession& session, const std::wstring& text, const std::wstring& caption,
               bool statusToo = true);
// Answers the outcome box, after checking its text, caption and place; saves a screenshot
// when `screenshot` is not empty.
void ExpectOutcomeBox(ProductSession& session, const std::wstring& text,
                      const std::wstring& caption, const std::wstring& screenshot);
// Waits for the version read that an upgrade's tail asks for once its box has gone, so that
// it does not count for what comes next.
void WaitForTailRefresh(ProductSession& session);
