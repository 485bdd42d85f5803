// The pipe server of one simulated HID device. Like a real HID device it can be opened any
// number of times, also many times in quick succession (a scan opens and closes every
// device): several pipe instances always listen, a listener thread replaces each one that
// a client takes, and every open handle is served by a session thread of its own.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <thread>

#include "sim/win/host/HidBackend.h"

class PipeDevice {
 public:
  // Instances listening at once: how many opens may come before the listener wakes.
  static constexpr int kListening = 8;

  // `path` is \\.\pipe\...; `stopEvent` (manual-reset) ends every thread when set.
  PipeDevice(HidBackend& device, std::wstring path, HANDLE stopEvent,
             std::function<void()> onActivity);
  ~PipeDevice();
  PipeDevice(const PipeDevice&) = delete;
  PipeDevice& operator=(const PipeDevice&) = delete;

  // The listening instances exist when this returns true, so the device can be opened at
  // once (unless it is not openable: then none listens until it is).
  bool Start();
  // Waits for every thread, which end once the stop event is set; closes every instance.
  void Join();
  const std::wstring& Path() const { return path_; }

 private:
  struct Listener {
    HANDLE pipe = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;
    OVERLAPPED overlapped{};
    // A connect is in flight and refers to `overlapped`; otherwise a client came before
    // the connect was asked for (nothing completes then).
    bool pending = false;
  };
  struct Session {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };

  // Creates a fresh instance and starts waiting for a client on it.
  void Arm(Listener& listener);
  void Disarm(Listener& listener);
  void Listen();
  // Takes the instance that a client has connected to and serves it on a new thread.
  void Accept(Listener& listener);
  void ReapSessions(bool all);

  HidBackend& device_;
  std::wstring path_;
  HANDLE stopEvent_;
  std::function<void()> onActivity_;
  Listener listeners_[kListening];
  std::thread listenerThread_;
  std::list<Session> sessions_;  // touched by the listener thread only (and Join after it)
};
