// One open handle on a simulated HID device, seen from the pipe server: each message the
// client writes goes to the device as an output report, and each reply the device queues
// is written back as one message once it is due (in real time on the simulators' clock). Ends
// when the client closes its handle, the device goes away or the host stops.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "sim/win/host/HidBackend.h"

class PipeSession {
 public:
  // `pipe` is a connected server end (overlapped); the session neither closes nor
  // disconnects it. `onActivity` runs after every report moved, so the host can publish
  // changes (e.g. report lengths) at once.
  PipeSession(HANDLE pipe, HidBackend& device, HANDLE stopEvent, std::function<void()> onActivity);
  ~PipeSession();
  PipeSession(const PipeSession&) = delete;
  PipeSession& operator=(const PipeSession&) = delete;

  // Serves the connection until it ends.
  void Run();

 private:
  // While a device has nothing to say, how often it is asked whether it has gone.
  static constexpr DWORD kIdlePollMs = 10;
  static constexpr DWORD kMessageBytes = 4096;

  bool StartRead();
  // A message from the client has arrived (or the read ended): false when the session ends.
  bool FinishRead();
  // Writes every due reply; false when the session ends. `*waitMs` gets how long to wait
  // for the next one.
  bool DeliverReplies(DWORD* waitMs);
  bool WriteMessage(const uint8_t* bytes, DWORD count);

  HANDLE pipe_;
  HidBackend& device_;
  HANDLE stopEvent_;
  std::function<void()> onActivity_;
  uint32_t connection_ = 0;
  HANDLE readEvent_ = nullptr;
  HANDLE writeEvent_ = nullptr;
  OVERLAPPED readOverlapped_{};
  bool readPending_ = false;
  uint8_t message_[kMessageBytes] = {};
};
