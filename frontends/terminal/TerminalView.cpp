// The sequences' view on a terminal (see TerminalView.h).
#include "frontends/terminal/TerminalView.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>

#include "frontends/terminal/ProgressLine.h"
#include "platform/PrintableText.h"
#include "platform/linux/Utf8Text.h"

namespace {

constexpr uint32_t kPlainProgressIntervalMs = 1000;

std::atomic<bool> progressLineOpen{false};

size_t TerminalColumns(FILE* out) {
  winsize size{};
  if (ioctl(fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    return size.ws_col;
  }
  return 80;
}

// Who keeps the controller and what to do, in the terminal's words: the way back is the
// question that follows (a restore tried again) or the command run again.
std::wstring KeptText(const KeptController& kept) {
  const wchar_t* then =
      kept.wayBack == KeptWayBack::kRetry ? L"then try again" : L"then run the command again";
  switch (kept.block) {
    case ControllerBlock::kHiddenByHidHide:
      return std::wstring(L"HidHide hides the controller: allow padwright in HidHide, ") + then;
    case ControllerBlock::kHeldByAnotherProgram:
      return std::wstring(L"Another program holds the controller: close it, ") + then;
    case ControllerBlock::kNone:
      break;
  }
  return std::wstring();
}

// What an outcome adds to the status line said just before it: the paragraphs after its
// first, a blank line between them. A controller kept was the status line itself.
std::wstring News(const SequenceOutcome& outcome) {
  if (outcome.kind == OutcomeKind::kControllerKept) {
    return std::wstring();
  }
  std::wstring news = outcome.more;
  const std::wstring kept = KeptText(outcome.kept);
  if (!kept.empty()) {
    news += news.empty() ? kept : L"\n\n" + kept;
  }
  return news;
}

}  // namespace

TerminalView::TerminalView(FILE* out, bool terminal, TerminalViewHooks hooks, Clock& clock)
    : clock_(clock), out_(out), terminal_(terminal), hooks_(std::move(hooks)) {}

bool TerminalView::ProgressLineOpen() {
  return progressLineOpen.load();
}

void TerminalView::SequenceEnded(SequenceKind kind) {
  if (kind != SequenceKind::kInitialize) {
    refreshRequested_ = true;
  }
}

void TerminalView::Notify(SequenceEvent event) {
  switch (event) {
    case SequenceEvent::kDeviceWorkBegins:
      awake_ = hooks_.keepAwake ? hooks_.keepAwake() : nullptr;
      break;
    case SequenceEvent::kDeviceWorkEnds:
      Call(hooks_.flashEnds);  // a flash never outlasts the device work
      awake_.reset();
      break;
    case SequenceEvent::kFlashBegins:
      Call(hooks_.flashBegins);
      break;
    case SequenceEvent::kFlashEnds:
      Call(hooks_.flashEnds);
      break;
    case SequenceEvent::kRecoveryNeeded:
    case SequenceEvent::kFirmwareInstalled:
    case SequenceEvent::kBootLoaderFound:
      break;  // the command reads the sequence's result and says what follows
  }
}

void TerminalView::Call(const std::function<void()>& hook) const {
  if (hook) {
    hook();
  }
}

void TerminalView::SetStatus(const std::wstring& text) {
  PrintLine(ToUtf8(text));
}

void TerminalView::SetKeptStatus(const KeptController& kept) {
  SetStatus(KeptText(kept));
}

void TerminalView::SetProgress(uint64_t position, const std::wstring& text) {
  position_ = position;
  if (position == 0) {
    progressShown_ = false;  // a new transfer: its first line shows at once
  }
  if (!text.empty()) {
    ShowProgressText(ToUtf8(text));
  }
}

void TerminalView::ShowProgressText(const std::string& text) {
  const bool final = position_ >= 1000;
  if (terminal_) {
    std::fprintf(
        out_, "\r\033[2K%s",
        RenderProgressLine(position_, EscapeControls(text), TerminalColumns(out_)).c_str());
    lineOpen_ = true;
    progressLineOpen = true;
    std::fflush(out_);
    return;
  }
  const uint32_t now = clock_.NowMs();
  if (progressShown_ && !final && now - lastProgressLineMs_ < kPlainProgressIntervalMs) {
    return;
  }
  progressShown_ = true;
  lastProgressLineMs_ = now;
  PrintLine(text);
}

void TerminalView::ShowOutcome(const SequenceOutcome& outcome) {
  PrintOutcome(outcome);
}

bool TerminalView::OfferRetry(const SequenceOutcome& outcome) {
  PrintOutcome(outcome);
  return hooks_.askRetry && hooks_.askRetry();
}

void TerminalView::PrintOutcome(const SequenceOutcome& outcome) {
  const std::wstring news = News(outcome);
  if (!news.empty()) {
    PrintLine(ToUtf8(news));
  }
}

bool TerminalView::StopRequested() {
  return hooks_.stopRequested && hooks_.stopRequested();
}

void TerminalView::FinishLine() {
  if (lineOpen_) {
    std::fputc('\n', out_);
    lineOpen_ = false;
    progressLineOpen = false;
  }
}

void TerminalView::PrintLine(const std::string& text) {
  FinishLine();
  // The names in a line are escaped where they are put in; this keeps any that was missed,
  // or that reaches a status text of the core, from driving the terminal.
  std::fprintf(out_, "%s\n", EscapeControls(text, true).c_str());
  std::fflush(out_);
}

bool TerminalView::TakeRefreshRequest() {
  bool requested = refreshRequested_;
  refreshRequested_ = false;
  return requested;
}
