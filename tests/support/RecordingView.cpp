// A SequenceView and the window's CommandHost that record every call, for the tests.
#include "tests/support/RecordingView.h"

#include <gtest/gtest.h>

#include "frontends/window/KeptControllerText.h"
#include "frontends/window/OutcomeBox.h"
#include "sim/SimClock.h"

namespace {

std::wstring Flag(bool value) {
  return value ? L"1" : L"0";
}

std::wstring KindName(SequenceKind kind) {
  switch (kind) {
    case SequenceKind::kUpgrade:
      return L"update";
    case SequenceKind::kInitialize:
      return L"initialize";
    case SequenceKind::kForcedUpgrade:
      return L"forced upgrade";
    case SequenceKind::kRestore:
      return L"restore";
  }
  return L"?";
}

std::wstring EventName(SequenceEvent event) {
  switch (event) {
    case SequenceEvent::kDeviceWorkBegins:
      return L"work on";
    case SequenceEvent::kDeviceWorkEnds:
      return L"work off";
    case SequenceEvent::kFlashBegins:
      return L"flash on";
    case SequenceEvent::kFlashEnds:
      return L"flash off";
    case SequenceEvent::kRecoveryNeeded:
      return L"recovery needed";
    case SequenceEvent::kFirmwareInstalled:
      return L"firmware in";
    case SequenceEvent::kBootLoaderFound:
      return L"boot loader found";
  }
  return L"?";
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
  calls_.push_back({std::move(line), SimNowMs()});
}

void RecordingView::SequenceStarted(SequenceKind kind) {
  Record(L"start " + KindName(kind));
}

void RecordingView::SequenceEnded(SequenceKind kind) {
  Record(L"end " + KindName(kind));
}

void RecordingView::Notify(SequenceEvent event) {
  Record(EventName(event));
}

void RecordingView::SetStatus(const std::wstring& text) {
  Record(L"status " + text);
}

void RecordingView::SetProgress(uint64_t position, const std::wstring& text) {
  Record(L"progress " + std::to_wstring(position));
  if (!text.empty()) {
    Record(L"status " + text);
  }
}

void RecordingView::SetKeptStatus(const KeptController& kept) {
  SetStatus(KeptControllerText(kept));
}

void RecordingView::ShowOutcome(const SequenceOutcome& outcome) {
  const OutcomeBox box = BoxOf(outcome);
  Record(BoxLine(L"box", box.text, box.caption, box.icon));
  if (onBox) {
    onBox();
  }
}

bool RecordingView::OfferRetry(const SequenceOutcome& outcome) {
  const OutcomeBox box = BoxOf(outcome);
  Record(BoxLine(L"retry?", box.text, box.caption, box.icon));
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

bool RecordingView::StopRequested() {
  Record(L"stop?");
  return stopRequested;
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

void RecordingView::EnableControl(uint16_t id, bool value) {
  Record((value ? L"enable " : L"disable ") + std::to_wstring(id));
  enabled[id] = value;
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
