// The pipe server of one simulated HID device (see PipeDevice.h).
#include "sim/win/host/PipeDevice.h"

#include <utility>

#include "sim/win/host/PipeSession.h"

namespace {

constexpr DWORD kBufferBytes = 4096;
// How often instances that could not be made (or a device that cannot be opened) are
// looked at again, and finished sessions collected.
constexpr DWORD kPollMs = 10;

}  // namespace

PipeDevice::PipeDevice(HidBackend& device, std::wstring path, HANDLE stopEvent,
                       std::function<void()> onActivity)
    : device_(device),
      path_(std::move(path)),
      stopEvent_(stopEvent),
      onActivity_(std::move(onActivity)) {}

PipeDevice::~PipeDevice() {
  Join();
  for (Listener& listener : listeners_) {
    if (listener.event != nullptr) {
      CloseHandle(listener.event);
    }
  }
}

bool PipeDevice::Start() {
  for (Listener& listener : listeners_) {
    if (listener.event == nullptr) {
      listener.event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    if (listener.event == nullptr) {
      return false;
    }
    Arm(listener);
    if (listener.pipe == INVALID_HANDLE_VALUE && device_.Openable()) {
      for (Listener& made : listeners_) {
        Disarm(made);
      }
      return false;
    }
  }
  listenerThread_ = std::thread(&PipeDevice::Listen, this);
  return true;
}

void PipeDevice::Join() {
  if (listenerThread_.joinable()) {
    listenerThread_.join();
  }
  for (Listener& listener : listeners_) {
    Disarm(listener);
  }
  ReapSessions(true);
}

void PipeDevice::Arm(Listener& listener) {
  if (listener.pipe != INVALID_HANDLE_VALUE || !device_.Openable()) {
    return;  // a device that cannot be opened has no listening pipe: opening it fails
  }
  // Message mode: each client write arrives as one report, each reply leaves as one.
  listener.pipe =
      CreateNamedPipeW(path_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                       PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                       PIPE_UNLIMITED_INSTANCES, kBufferBytes, kBufferBytes, 0, nullptr);
  if (listener.pipe == INVALID_HANDLE_VALUE) {
    return;
  }
  ZeroMemory(&listener.overlapped, sizeof(listener.overlapped));
  listener.overlapped.hEvent = listener.event;
  listener.pending = false;
  if (!ConnectNamedPipe(listener.pipe, &listener.overlapped)) {
    DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
      listener.pending = true;
      return;
    }
    if (error != ERROR_PIPE_CONNECTED) {
      CloseHandle(listener.pipe);
      listener.pipe = INVALID_HANDLE_VALUE;
      return;
    }
  }
  SetEvent(listener.event);  // connected already: no completion will signal it
}

void PipeDevice::Disarm(Listener& listener) {
  if (listener.pipe == INVALID_HANDLE_VALUE) {
    return;
  }
  if (listener.pending) {
    // The connect refers to the OVERLAPPED: end it before the instance goes.
    CancelIoEx(listener.pipe, &listener.overlapped);
    DWORD ignored = 0;
    GetOverlappedResult(listener.pipe, &listener.overlapped, &ignored, TRUE);
    listener.pending = false;
  }
  CloseHandle(listener.pipe);
  listener.pipe = INVALID_HANDLE_VALUE;
  ResetEvent(listener.event);
}

void PipeDevice::Listen() {
  HANDLE handles[kListening + 1];
  for (int i = 0; i < kListening; ++i) {
    handles[i] = listeners_[i].event;
  }
  handles[kListening] = stopEvent_;
  for (;;) {
    DWORD woken = WaitForMultipleObjects(kListening + 1, handles, FALSE, kPollMs);
    if (woken == WAIT_TIMEOUT) {
      for (Listener& listener : listeners_) {
        Arm(listener);
      }
      ReapSessions(false);
    } else if (woken < WAIT_OBJECT_0 + kListening) {
      Accept(listeners_[woken - WAIT_OBJECT_0]);
    } else {
      return;  // stopping, or the wait itself failed
    }
  }
}

void PipeDevice::Accept(Listener& listener) {
  ResetEvent(listener.event);
  DWORD ignored = 0;
  HANDLE pipe = listener.pipe;
  bool connected = pipe != INVALID_HANDLE_VALUE;
  if (connected && listener.pending) {
    connected = GetOverlappedResult(pipe, &listener.overlapped, &ignored, FALSE) != FALSE;
  }
  listener.pending = false;
  listener.pipe = INVALID_HANDLE_VALUE;
  Arm(listener);  // the replacement listens before the new client is served
  if (!connected) {
    if (pipe != INVALID_HANDLE_VALUE) {
      CloseHandle(pipe);
    }
    return;
  }
  auto done = std::make_shared<std::atomic<bool>>(false);
  Session session;
  session.done = done;
  session.thread = std::thread([this, pipe, done] {
    PipeSession(pipe, device_, stopEvent_, onActivity_).Run();
    DisconnectNamedPipe(pipe);
    CloseHandle(pipe);
    done->store(true);
  });
  sessions_.push_back(std::move(session));
  ReapSessions(false);
}

void PipeDevice::ReapSessions(bool all) {
  for (auto it = sessions_.begin(); it != sessions_.end();) {
    if (all || it->done->load()) {
      it->thread.join();
      it = sessions_.erase(it);
    } else {
      ++it;
    }
  }
}
