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
  std::string line = ToUtf8(text);
  PrintLine(line);
  lastStatus_ = std::move(line);
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

void TerminalView::ShowOutcome(const std::wstring& text, const std::wstring&, MessageIcon) {
  PrintOutcome(text);
}

bool TerminalView::OfferRetry(const std::wstring& text, const std::wstring&) {
  PrintOutcome(text);
  return hooks_.askRetry && hooks_.askRetry();
}

void TerminalView::PrintOutcome(const std::wstring& text) {
  std::string outcome = ToUtf8(text);
  // The status line said it all already, with the reason after it.
  if (!outcome.empty() && lastStatus_.rfind(outcome, 0) == 0) {
    return;
  }
  // The status line already said the first part ("Upgrade success"); print what it adds.
  if (!lastStatus_.empty() && outcome.rfind(lastStatus_, 0) == 0) {
    outcome.erase(0, lastStatus_.size());
  }
  const size_t start = outcome.find_first_not_of('\n');
  outcome = start == std::string::npos ? std::string() : outcome.substr(start);
  if (!outcome.empty()) {
    PrintLine(outcome);
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
