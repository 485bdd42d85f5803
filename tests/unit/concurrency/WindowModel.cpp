// The window thread of the race tests: its queue, its cross-thread calls, its close rules and
// its command handlers over the real start handlers and sequences.
#include "tests/unit/concurrency/WindowModel.h"

#include <chrono>
#include <utility>

#include "frontends/window/CommandStart.h"
#include "frontends/window/resource.h"
#include "tests/unit/concurrency/ModelView.h"
#include "workflows/ForceUpgradeSequence.h"
#include "workflows/InitializeSequence.h"
#include "workflows/UpgradeSequence.h"
#include "workflows/VersionLine.h"

WindowModel::WindowModel(Link& link, const RunContext& context, ControllerSimulator& sim,
                         std::wstring firmwarePath)
    : link(link), context(context), sim(sim), firmwarePath_(std::move(firmwarePath)) {
  for (uint16_t id : {IDC_UPDATE, IDC_SELECT, IDC_REFRESH}) {
    enabled_[id] = true;
  }
  enabled_[IDC_INITIALIZE] = false;
  enabled_[IDC_FORCE_UPDATE] = false;
  thread_ = std::thread([this] { Loop(); });
  windowThread_ = thread_.get_id();
}

WindowModel::~WindowModel() {
  RequestClose();
  Join();
}

void WindowModel::Join() {
  if (thread_.joinable()) {
    thread_.join();
  }
}

void WindowModel::Loop() {
  std::unique_lock<std::mutex> lock(queueMutex_);
  while (!closed_) {
    queued_.wait(lock, [this] { return !queue_.empty(); });
    RunOne(lock);
  }
  // The window is gone; its thread still serves the workers' calls until the last has left,
  // as the entry does before the window object goes away.
  for (;;) {
    lock.unlock();
    const bool idle = workers.WaitUntilIdle(0);
    lock.lock();
    if (idle) {
      break;
    }
    if (!RunOne(lock)) {
      queued_.wait_for(lock, std::chrono::milliseconds(2));
    }
  }
  ended_ = true;
  queue_.clear();  // posted Refreshes for a window that no longer exists
}

bool WindowModel::RunOne(std::unique_lock<std::mutex>& lock) {
  if (queue_.empty()) {
    return false;
  }
  std::function<void()> call = std::move(queue_.front());
  queue_.pop_front();
  lock.unlock();
  call();
  lock.lock();
  return true;
}

void WindowModel::Post(std::function<void()> call) {
  std::lock_guard<std::mutex> lock(queueMutex_);
  if (ended_) {
    return;
  }
  queue_.push_back(std::move(call));
  queued_.notify_all();
}

void WindowModel::Send(const std::function<void()>& call) {
  if (std::this_thread::get_id() == windowThread_) {
    call();
    return;
  }
  std::mutex doneMutex;
  std::condition_variable doneSignal;
  bool done = false;
  Post([&] {
    call();
    std::lock_guard<std::mutex> lock(doneMutex);
    done = true;
    doneSignal.notify_all();
  });
  std::unique_lock<std::mutex> lock(doneMutex);
  doneSignal.wait(lock, [&] { return done; });
}

void WindowModel::Click(uint16_t id) {
  Post([this, id] {
    if (!WindowAlive()) {
      return;
    }
    if (!Enabled(id)) {
      Record(L"ignored " + std::to_wstring(id));
      return;
    }
    OnCommand(id);
  });
}

void WindowModel::RequestClose() {
  Post([this] { OnClose(); });
}

void WindowModel::OnClose() {
  if (closed_) {
    return;
  }
  if (upgradeRunning) {
    Record(L"close refused");
    return;
  }
  workers.RequestStop();
  Record(L"closed");
  closed_ = true;
}

void WindowModel::OnCommand(uint16_t id) {
  Record(L"command " + std::to_wstring(id));
  if (id == IDC_REFRESH) {
    OnRefresh();
    return;
  }
  const bool upgrade = id == IDC_UPDATE || id == IDC_FORCE_UPDATE;
  ModelHost host(*this, upgrade);
  host.SetPath(firmwarePath_);
  if (upgrade) {
    StartUpgradeCommand(host, id, [this, id](const std::wstring& path) {
      ModelView view(*this);
      if (id == IDC_UPDATE) {
        UpgradeSequence(link, context, view, run, path);
      } else {
        ForceUpgradeSequence(link, context, view, run, path);
      }
    });
  } else if (id == IDC_INITIALIZE) {
    StartInitializeCommand(host, [this] {
      ModelView view(*this);
      InitializeSequence(link, context, view, run, [this] { return SimTransport(sim); });
    });
  }
}

void WindowModel::OnRefresh() {
  std::wstring text;
  ReadVersionLine(link, &text);
  std::lock_guard<std::mutex> lock(stateMutex_);
  version_ = text;
  log_.push_back(L"version " + text);
  ++changes_;
  changed_.notify_all();
}

void WindowModel::Record(const std::wstring& line) {
  std::lock_guard<std::mutex> lock(stateMutex_);
  log_.push_back(line);
  ++changes_;
  changed_.notify_all();
}

void WindowModel::SetStatusText(const std::wstring& text) {
  std::lock_guard<std::mutex> lock(stateMutex_);
  status_ = text;
}

void WindowModel::SetEnabled(uint16_t id, bool enabled) {
  std::lock_guard<std::mutex> lock(stateMutex_);
  enabled_[id] = enabled;
}

bool WindowModel::WaitUntil(const std::function<bool()>& done, int seconds) {
  std::unique_lock<std::mutex> lock(stateMutex_);
  // `done` reads the log through the accessors, which take the lock themselves.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    const uint64_t seen = changes_;
    lock.unlock();
    const bool met = done();
    lock.lock();
    if (met) {
      return true;
    }
    // A change between the test and now is not waited for again.
    if (changes_ == seen &&
        !changed_.wait_until(lock, deadline, [&] { return changes_ != seen; })) {
      lock.unlock();
      return done();
    }
  }
}

std::vector<std::wstring> WindowModel::Log() const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  return log_;
}

size_t WindowModel::Count(const std::wstring& line) const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  size_t n = 0;
  for (const std::wstring& entry : log_) {
    n += entry == line ? 1 : 0;
  }
  return n;
}

std::wstring WindowModel::Status() const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  return status_;
}

std::wstring WindowModel::VersionLine() const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  return version_;
}

bool WindowModel::Enabled(uint16_t id) const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  auto found = enabled_.find(id);
  return found != enabled_.end() && found->second;
}

bool WindowModel::Closed() const {
  return closed_;
}
