// The box in which the window shows an outcome of a sequence: its text, its caption and its
// icon, all from the outcome's kind and facts.
#pragma once

#include <string>

#include "frontends/window/MessageIcon.h"
#include "workflows/SequenceOutcome.h"

struct OutcomeBox {
  // The outcome's paragraphs, a blank line between them; who keeps the controller in the
  // window's words.
  std::wstring text;
  // "info" for a success, "warn" for a restore offered again, "error" otherwise; the icon
  // matches.
  std::wstring caption;
  MessageIcon icon = MessageIcon::kError;
};

OutcomeBox BoxOf(const SequenceOutcome& outcome);
