// A model of the main window's threading for the race tests: one window thread that runs
// every command handler and serves the workers' window calls, each of which blocks the
// worker until the window thread has run it (as a cross-thread SendMessage does). Buttons
// can be clicked only while enabled; a posted Refresh runs whatever the button's state.
// Closing follows the product: refused while an upgrade runs, otherwise the workers are
// told to stop and the window thread serves their calls (now on a dead window) until the
// last has left. The real start handlers, sequences and worker registry run inside it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/Vexapad.h"
#include "sim/ControllerSimulator.h"
#include "sim/SimTransport.h"
#include "ui/WorkerRegistry.h"
#include "workflows/RunContext.h"
#include "workflows/RunState.h"

class WindowModel {
 public:
  using Link = CVexapadT<SimTransport>;

  WindowModel(Link& link, const RunContext& context, ControllerSimulator& sim,
              std::wstring firmwarePath);
  // Closes the window if still open and waits until the window thread has ended.
  ~WindowModel();
  WindowModel(const WindowModel&) = delete;
  WindowModel& operator=(const WindowModel&) = delete;

  // From the test's "user" threads: queue a click or a close for the window thread.
  void Click(uint16_t id);
  void RequestClose();
  // Waits (in real time, at most `seconds`) until `done` holds over the log; false if not.
  bool WaitUntil(const std::function<bool()>& done, int seconds = 60);
  // Waits until the window thread has ended (after a close and the last worker).
  void Join();

  // The log: one line per event, in order. Window calls of workers appear as they would on
  // the window ("status <text>", "enable <id>", ...), prefixed "dead " once it has closed.
  std::vector<std::wstring> Log() const;
  size_t Count(const std::wstring& line) const;
  std::wstring Status() const;
  std::wstring VersionLine() const;
  bool Enabled(uint16_t id) const;
  bool Closed() const;

  // Used by the model's view and host (window thread or workers).
  void Send(const std::function<void()>& call);  // runs on the window thread, waits
  void Post(std::function<void()> call);         // runs on the window thread later
  void Record(const std::wstring& line);         // under the state lock
  bool WindowAlive() const { return !closed_; }

  // Window-thread state and handlers.
  void SetStatusText(const std::wstring& text);
  void SetEnabled(uint16_t id, bool enabled);
  void OnCommand(uint16_t id);
  void OnRefresh();

  Link& link;
  const RunContext& context;
  ControllerSimulator& sim;
  std::atomic<bool> busy{false};
  std::atomic<bool> upgradeRunning{false};
  RunState run;  // this run's copies, ordered by `busy`
  CWorkerRegistry workers;

 private:
  void Loop();
  void OnClose();
  bool RunOne(std::unique_lock<std::mutex>& lock);

  std::wstring firmwarePath_;
  std::thread::id windowThread_;
  std::thread thread_;
  std::atomic<bool> closed_{false};
  std::atomic<bool> ended_{false};

  mutable std::mutex queueMutex_;
  std::condition_variable queued_;
  std::deque<std::function<void()>> queue_;

  mutable std::mutex stateMutex_;
  std::condition_variable changed_;
  std::vector<std::wstring> log_;
  uint64_t changes_ = 0;
  std::wstring status_;
  std::wstring version_;
  std::map<uint16_t, bool> enabled_;
};
