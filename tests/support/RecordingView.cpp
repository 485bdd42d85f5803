// A SequenceView and CommandHost that records every call for the workflow tests.
#include "tests/support/RecordingView.h"

#include <gtest/gtest.h>

#include "platform/Clock.h"

namespace {

class RecordedScope final : public SequenceScope {
 public:
  RecordedScope(std::function<void()> onEnd) : onEnd_(std::move(onEnd)) {}
  ~RecordedScope() override { onEnd_(); }

 private:
  std::function<void()> onEnd_;
};

std::wstring Flag(bool value) {
  return value ? L"1" : L"0";
}

std::wstring IconName(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInformation:
      return L"info";
    case MessageIcon::kWarning:
      return L"warning";
    case MessageIcon::kError:
      return L"error";
  }
  return L"?";
}

std::wstring BoxLine(const std::wstring& kind, const std::wstring& text,
                     const std::wstring& caption, MessageIcon icon) {
  return kind + L" " + text + L"|" + caption + L"|" + IconName(icon);
}

}  // namespace

void RecordingView::Record(std::wstring line) {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back({std::move(line), NowMs()});
}

void RecordingView::SetStatus(const std::wstring& text) {
  Record(L"status " + text);
}

void RecordingView::EnableControl(uint16_t id, bool value) {
  Record((value ? L"enable " : L"disable ") + std::to_wstring(id));
  enabled[id] = value;
}

void RecordingView::SetProgress(uint64_t position) {
  Record(L"progress " + std::to_wstring(position));
}

void RecordingView::GrowToFullAndCenter() {
  Record(L"grow");
}

void RecordingView::ShowOutcome(const std::wstring& text, const std::wstring& caption,
                                MessageIcon icon) {
  Record(BoxLine(L"box", text, caption, icon));
  if (onBox) {
    onBox();
  }
}

bool RecordingView::OfferRetry(const std::wstring& text, const std::wstring& caption) {
  Record(BoxLine(L"retry?", text, caption, MessageIcon::kWarning));
  if (onBox) {
    onBox();
  }
  if (retryAnswers.empty()) {
    return false;
  }
  const bool retry = retryAnswers.front();
  retryAnswers.erase(retryAnswers.begin());
  return retry;
}

void RecordingView::PostRefresh() {
  Record(L"refresh");
}

void RecordingView::ClearBusy() {
  Record(L"idle");
  busy = false;
}

void RecordingView::SetButtonConfigBackedUp(bool value) {
  Record(L"set button " + Flag(value));
  buttonBackedUp = value;
}

void RecordingView::SetGlobalConfigBackedUp(bool value) {
  Record(L"set global " + Flag(value));
  globalBackedUp = value;
}

bool RecordingView::ButtonConfigBackedUp() {
  Record(L"ask button");
  return buttonBackedUp;
}

bool RecordingView::GlobalConfigBackedUp() {
  Record(L"ask global");
  return globalBackedUp;
}

std::unique_ptr<SequenceScope> RecordingView::PlaceMessageBoxes() {
  Record(L"hook on");
  return std::make_unique<RecordedScope>([this] { Record(L"hook off"); });
}

std::unique_ptr<SequenceScope> RecordingView::KeepAwake() {
  Record(L"awake on");
  return std::make_unique<RecordedScope>([this] { Record(L"awake off"); });
}

bool RecordingView::CloseRequested() {
  Record(L"closing?");
  return closing;
}

std::wstring RecordingView::TakeFirmwarePath() {
  Record(L"take path");
  firmwarePath = pathEdit;
  return firmwarePath;
}

bool RecordingView::IsFile(const std::wstring& path) {
  Record(L"is file " + path);
  return pathIsFile;
}

void RecordingView::ShowMessage(const std::wstring& text, const std::wstring& caption,
                                MessageIcon icon) {
  Record(BoxLine(L"message", text, caption, icon));
  if (onBox) {
    onBox();
  }
}

bool RecordingView::IsBusy() {
  Record(L"busy?");
  return busy;
}

void RecordingView::SetBusy(bool value) {
  Record(L"busy " + Flag(value));
  busy = value;
}

bool RecordingView::IsControlEnabled(uint16_t id) {
  Record(L"enabled? " + std::to_wstring(id));
  auto it = enabled.find(id);
  return it == enabled.end() || it->second;
}

bool RecordingView::StartWorker(std::function<void()> body) {
  Record(L"start worker");
  if (!workersStart) {
    Record(L"worker refused");
    return false;
  }
  runWorker(std::move(body));
  return true;
}

Lines RecordingView::Calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  Lines lines;
  for (const RecordedCall& call : calls_) {
    lines.push_back(call.text);
  }
  return lines;
}

Lines RecordingView::CallsOf(const std::wstring& kind) const {
  Lines lines;
  std::wstring prefix = kind + L" ";
  for (const std::wstring& line : Calls()) {
    if (line.rfind(prefix, 0) == 0) {
      lines.push_back(line.substr(prefix.size()));
    }
  }
  return lines;
}

uint32_t RecordingView::TimeOf(const std::wstring& line) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const RecordedCall& call : calls_) {
    if (call.text == line) {
      return call.timeMs;
    }
  }
  ADD_FAILURE() << "no call recorded as: " << testing::PrintToString(line);
  return 0;
}

size_t RecordingView::Count(const std::wstring& line) const {
  size_t n = 0;
  for (const std::wstring& call : Calls()) {
    n += call == line ? 1 : 0;
  }
  return n;
}
