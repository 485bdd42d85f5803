// One open handle on a simulated HID device, served over its pipe (see PipeSession.h).
#include "sim/win/host/PipeSession.h"

#include <utility>

#include "sim/SimClock.h"

PipeSession::PipeSession(HANDLE pipe, HidBackend& device, HANDLE stopEvent,
                         std::function<void()> onActivity)
    : pipe_(pipe), device_(device), stopEvent_(stopEvent), onActivity_(std::move(onActivity)) {
  // Manual-reset: ReadFile and WriteFile reset them when a transfer starts.
  readEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  writeEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

PipeSession::~PipeSession() {
  if (readEvent_ != nullptr) {
    CloseHandle(readEvent_);
  }
  if (writeEvent_ != nullptr) {
    CloseHandle(writeEvent_);
  }
}

void PipeSession::Run() {
  if (readEvent_ == nullptr || writeEvent_ == nullptr) {
    return;
  }
  connection_ = device_.Connect();
  if (connection_ == 0) {
    return;
  }
  bool serving = StartRead();
  while (serving) {
    DWORD waitMs = kIdlePollMs;
    if (!DeliverReplies(&waitMs)) {
      break;
    }
    HANDLE handles[2] = {readEvent_, stopEvent_};
    DWORD woken = WaitForMultipleObjects(2, handles, FALSE, waitMs);
    if (woken == WAIT_OBJECT_0) {
      serving = FinishRead() && StartRead();
    } else if (woken != WAIT_TIMEOUT) {
      serving = false;  // stopping, or the wait itself failed
    }
  }
  if (readPending_) {
    // The read refers to our buffer: end it before the buffer goes.
    CancelIoEx(pipe_, &readOverlapped_);
    DWORD ignored = 0;
    GetOverlappedResult(pipe_, &readOverlapped_, &ignored, TRUE);
    readPending_ = false;
  }
  device_.Disconnect(connection_);
  // Before the client sees its handle break, the list of devices shows the change (a
  // device that went away is no longer listed).
  if (onActivity_) {
    onActivity_();
  }
}

bool PipeSession::StartRead() {
  ZeroMemory(&readOverlapped_, sizeof(readOverlapped_));
  readOverlapped_.hEvent = readEvent_;
  // Completed at once or pending, the event is signalled when the message is in.
  if (ReadFile(pipe_, message_, kMessageBytes, nullptr, &readOverlapped_) ||
      GetLastError() == ERROR_IO_PENDING || GetLastError() == ERROR_MORE_DATA) {
    readPending_ = true;
    return true;
  }
  return false;  // the client has closed its end
}

bool PipeSession::FinishRead() {
  DWORD count = 0;
  BOOL ok = GetOverlappedResult(pipe_, &readOverlapped_, &count, FALSE);
  readPending_ = false;
  if (!ok && GetLastError() != ERROR_MORE_DATA) {
    return false;
  }
  // A write to a device that has gone is lost; the next look at the replies ends the session.
  device_.HostWrite(connection_, message_, count);
  if (onActivity_) {
    onActivity_();
  }
  return true;
}

bool PipeSession::DeliverReplies(DWORD* waitMs) {
  for (;;) {
    uint32_t dueMs = 0;
    ReplyStatus status = device_.PeekReply(connection_, &dueMs);
    if (status == ReplyStatus::Gone) {
      return false;
    }
    if (status == ReplyStatus::None) {
      *waitMs = kIdlePollMs;
      return true;
    }
    int32_t left = static_cast<int32_t>(dueMs - SimNowMs());
    SimReply reply;
    if (left > 0 || !device_.TakeReply(connection_, &reply)) {
      *waitMs = left > 0 ? static_cast<DWORD>(left) : 1;
      return true;
    }
    if (!WriteMessage(reply.wire.data(), reply.count)) {
      return false;
    }
    if (onActivity_) {
      onActivity_();
    }
  }
}

bool PipeSession::WriteMessage(const uint8_t* bytes, DWORD count) {
  OVERLAPPED overlapped;
  ZeroMemory(&overlapped, sizeof(overlapped));
  overlapped.hEvent = writeEvent_;
  if (!WriteFile(pipe_, bytes, count, nullptr, &overlapped) && GetLastError() != ERROR_IO_PENDING) {
    return false;
  }
  HANDLE handles[2] = {writeEvent_, stopEvent_};
  if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) {
    CancelIoEx(pipe_, &overlapped);
  }
  DWORD written = 0;
  return GetOverlappedResult(pipe_, &overlapped, &written, TRUE) && written == count;
}
