// The window model as the sequences see it (from their workers, through the window's own
// rules for their events) and as the start handlers see it (on the window thread), made the
// way the product's window makes them: window calls go through the window thread and block
// until served; the busy marks are atomics that workers clear directly; the run's state is
// ordered by `busy` alone.
#pragma once

#include <cstdint>
#include <string>
#include <thread>
#include <utility>

#include "frontends/window/CommandHost.h"
#include "frontends/window/KeptControllerText.h"
#include "frontends/window/OutcomeBox.h"
#include "frontends/window/WindowSequenceView.h"
#include "frontends/window/resource.h"
#include "tests/unit/concurrency/WindowModel.h"

class ModelView final : public WindowSequenceView {
 public:
  explicit ModelView(WindowModel& window) : window_(window) {}

  void SetStatus(const std::wstring& text) override {
    Call(L"status " + text, [this, text] { window_.SetStatusText(text); });
  }
  void SetProgress(uint64_t position, const std::wstring& text) override {
    Call(L"progress " + std::to_wstring(position), [] {});
    if (!text.empty()) {
      SetStatus(text);
    }
  }
  void SetKeptStatus(const KeptController& kept) override { SetStatus(KeptControllerText(kept)); }
  void ShowOutcome(const SequenceOutcome& outcome) override {
    const OutcomeBox box = BoxOf(outcome);
    Call(L"box " + box.text + L"|" + box.caption, [] {});
  }
  bool OfferRetry(const SequenceOutcome& outcome) override {
    const OutcomeBox box = BoxOf(outcome);
    Call(L"retry? " + box.text + L"|" + box.caption, [] {});
    return false;
  }
  bool StopRequested() override { return window_.workers.StopRequested(); }

 private:
  void EnableControl(uint16_t id, bool enabled) override {
    Call((enabled ? L"enable " : L"disable ") + std::to_wstring(id),
         [this, id, enabled] { window_.SetEnabled(id, enabled); });
  }
  void GrowToFullAndCenter() override {
    Call(L"grow", [] {});
  }
  void PostRefresh() override {
    // Runs after this view is gone: it holds on to the window only.
    WindowModel* window = &window_;
    window_.Post([window] {
      if (window->WindowAlive()) {
        window->OnCommand(IDC_REFRESH);
      }
    });
  }
  void ClearBusy(bool upgrade) override {
    window_.Record(L"idle");
    if (upgrade) {
      window_.upgradeRunning = false;
    }
    window_.busy = false;
  }
  void PlaceMessageBoxes(bool placed) override {
    window_.Record(placed ? L"hook on" : L"hook off");
  }
  void KeepAwake(bool held, bool) override { window_.Record(held ? L"awake on" : L"awake off"); }

  // A window call: served by the window thread while the worker waits; on a closed window
  // it does nothing (the product's handle is dead then) and is logged as such.
  template <typename Apply>
  void Call(const std::wstring& line, Apply apply) {
    window_.Send([&] {
      if (window_.WindowAlive()) {
        window_.Record(line);
        apply();
      } else {
        window_.Record(L"dead " + line);
      }
    });
  }

  WindowModel& window_;
};

class ModelHost final : public CommandHost {
 public:
  ModelHost(WindowModel& window, bool upgrade) : window_(window), upgrade_(upgrade) {}

  std::wstring TakeFirmwarePath() override { return path_; }
  bool IsFile(const std::wstring&) override { return true; }
  void ShowMessage(const std::wstring& text, const std::wstring& caption, MessageIcon) override {
    window_.Record(L"message " + text + L"|" + caption);
  }
  bool IsBusy() override { return window_.busy; }
  void SetBusy(bool busy) override {
    if (upgrade_ && busy) {
      window_.upgradeRunning = true;
    }
    window_.busy = busy;
    if (upgrade_ && !busy) {
      window_.upgradeRunning = false;
    }
  }
  void EnableControl(uint16_t id, bool enabled) override { window_.SetEnabled(id, enabled); }
  bool IsControlEnabled(uint16_t id) override { return window_.Enabled(id); }
  bool StartWorker(std::function<void()> body) override {
    if (!window_.workers.Enter()) {
      return false;
    }
    WindowModel* window = &window_;
    window_.Record(L"worker started");
    std::thread([window, body = std::move(body)] {
      body();
      window->Record(L"worker done");
      window->workers.Leave();  // the worker's last touch of the window
    }).detach();
    return true;
  }

  void SetPath(std::wstring path) { path_ = std::move(path); }

 private:
  WindowModel& window_;
  bool upgrade_;
  std::wstring path_;
};
