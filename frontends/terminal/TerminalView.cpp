// The sequences' view on a terminal (see TerminalView.h).
#include "frontends/terminal/TerminalView.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>

#include "frontends/terminal/ProgressLine.h"
#include "platform/Clock.h"
#include "platform/linux/Utf8Text.h"

namespace {

// The transfer's progress text as the sequences write it into the status line.
constexpr char kProgressPrefix[] = "Upgrading, progress: ";
// What the sequences show right before the controller leaves normal operation: the
// transfer (it restarts the controller into its boot loader) and the power cycle.
constexpr wchar_t kTransferAhead[] = L"Ready, please wait...";
constexpr wchar_t kPowerOff[] = L"Power off.....";
// And right before the configuration is written to the controller (also when a restore is
// tried again, or a saved backup is written back alone).
constexpr wchar_t kRestoreAhead[] = L"Recovery config.....";
constexpr uint32_t kPlainProgressIntervalMs = 1000;

std::atomic<bool> progressLineOpen{false};

// The span of the device steps: the machine kept awake, and whatever the flash put off
// allowed again once it ends.
class DeviceWorkScope final : public SequenceScope {
 public:
  DeviceWorkScope(std::unique_ptr<SequenceScope> awake, std::function<void()> ends)
      : awake_(std::move(awake)), ends_(std::move(ends)) {}
  ~DeviceWorkScope() override {
    if (ends_) {
      ends_();
    }
  }

 private:
  std::unique_ptr<SequenceScope> awake_;
  std::function<void()> ends_;
};

size_t TerminalColumns(FILE* out) {
  winsize size{};
  if (ioctl(fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    return size.ws_col;
  }
  return 80;
}

}  // namespace

TerminalView::TerminalView(FILE* out, bool terminal, TerminalViewHooks hooks)
    : out_(out), terminal_(terminal), hooks_(std::move(hooks)) {}

bool TerminalView::ProgressLineOpen() {
  return progressLineOpen.load();
}

void TerminalView::SetStatus(const std::wstring& text) {
  std::string line = ToUtf8(text);
  if (line.rfind(kProgressPrefix, 0) == 0) {
    ShowProgressText(line);
    return;
  }
  if ((text == kTransferAhead || text == kPowerOff || text == kRestoreAhead) &&
      hooks_.flashBegins) {
    hooks_.flashBegins();
  }
  PrintLine(line);
  lastStatus_ = std::move(line);
}

void TerminalView::SetProgress(uint64_t position) {
  position_ = position;
  if (position == 0) {
    progressShown_ = false;  // a new transfer: its first line shows at once
  }
}

void TerminalView::ShowProgressText(const std::string& text) {
  const bool final = position_ >= 1000;
  if (terminal_) {
    std::fprintf(out_, "\r\033[2K%s",
                 RenderProgressLine(position_, text, TerminalColumns(out_)).c_str());
    lineOpen_ = true;
    progressLineOpen = true;
    std::fflush(out_);
    return;
  }
  const uint32_t now = NowMs();
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

void TerminalView::ClearBusy() {
  if (hooks_.flashEnds) {
    hooks_.flashEnds();
  }
}

std::unique_ptr<SequenceScope> TerminalView::KeepAwake() {
  return std::make_unique<DeviceWorkScope>(hooks_.keepAwake ? hooks_.keepAwake() : nullptr,
                                           hooks_.flashEnds);
}

bool TerminalView::CloseRequested() {
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
  std::fprintf(out_, "%s\n", text.c_str());
  std::fflush(out_);
}

bool TerminalView::TakeRefreshRequest() {
  bool requested = refreshRequested_;
  refreshRequested_ = false;
  return requested;
}
