// The box in which the window shows an outcome (see OutcomeBox.h).
#include "frontends/window/OutcomeBox.h"

#include "frontends/window/KeptControllerText.h"

namespace {

void AddParagraph(std::wstring& text, const std::wstring& paragraph) {
  if (paragraph.empty()) {
    return;
  }
  if (!text.empty()) {
    text += L"\n\n";
  }
  text += paragraph;
}

}  // namespace

OutcomeBox BoxOf(const SequenceOutcome& outcome) {
  OutcomeBox box;
  AddParagraph(box.text, outcome.said);
  AddParagraph(box.text, outcome.more);
  AddParagraph(box.text, KeptControllerText(outcome.kept));
  switch (outcome.kind) {
    case OutcomeKind::kSucceeded:
      box.caption = L"info";
      box.icon = MessageIcon::kInformation;
      break;
    case OutcomeKind::kRestoreFailed:
      box.caption = L"warn";
      box.icon = MessageIcon::kWarning;
      break;
    case OutcomeKind::kFailed:
    case OutcomeKind::kControllerKept:
      box.caption = L"error";
      box.icon = MessageIcon::kError;
      break;
  }
  return box;
}
