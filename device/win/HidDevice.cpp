// One overlapped connection to a USB HID device (see HidDevice.h).
#include "device/win/HidDevice.h"

#include <cstring>
#include <new>

#include "device/win/HidScan.h"

namespace {

uint8_t* EnsureBuffer(uint8_t*& buffer) {
  if (buffer == nullptr) {
    buffer = new (std::nothrow) uint8_t[CHidDevice::kBufferSize];
  }
  return buffer;
}

void ReleaseEvent(HANDLE& event) {
  if (event != nullptr) {
    // Wakes anyone still waiting on it before it goes.
    SetEvent(event);
    CloseHandle(event);
    event = nullptr;
  }
}

}  // namespace

CHidDevice::~CHidDevice() {
  CloseDevice();
}

bool CHidDevice::OpenDevice(uint16_t vid, uint16_t pid, const wchar_t* pathFilter) {
  CloseDevice();
  // Auto-reset: a wait that sees a completion consumes it, so the next transfer starts clean.
  if (readEvent == nullptr) {
    readEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  }
  if (writeEvent == nullptr) {
    writeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  }
  if (readEvent == nullptr || writeEvent == nullptr) {
    CloseDevice();
    return false;
  }
  HidScanResult scan = ScanHidDevices(vid, pid, pathFilter, true, kCommandReportLength);
  device = scan.kept;
  return IsOpen();
}

bool CHidDevice::IsPresent(uint16_t vid, uint16_t pid) {
  return ScanHidDevices(vid, pid, nullptr, false, 0).matched;
}

void CHidDevice::CloseDevice() {
  ReleaseEvent(readEvent);
  ReleaseEvent(writeEvent);
  if (device != INVALID_HANDLE_VALUE) {
    CancelIoEx(device, nullptr);
    CloseHandle(device);
    device = INVALID_HANDLE_VALUE;
  }
  delete[] readBuffer;
  delete[] writeBuffer;
  readBuffer = nullptr;
  writeBuffer = nullptr;
}

bool CHidDevice::GetCaps(HIDP_CAPS* caps) {
  if (!IsOpen() || caps == nullptr) {
    return false;
  }
  return QueryHidCaps(device, caps);
}

DWORD CHidDevice::UsableReportLength(bool input, uint16_t len) {
  HIDP_CAPS caps;
  ZeroMemory(&caps, sizeof(caps));
  if (!GetCaps(&caps)) {
    return 0;
  }
  DWORD length = input ? caps.InputReportByteLength : caps.OutputReportByteLength;
  // The report id byte comes on top of the caller's bytes; the buffer bounds the rest.
  if (length != static_cast<DWORD>(len) + 1 || length > kBufferSize) {
    return 0;
  }
  return length;
}

bool CHidDevice::ReadReport(uint8_t* dst, uint16_t len, TransportTimeoutMs timeoutMs) {
  if (!IsOpen() || (dst == nullptr && len > 0)) {
    return false;
  }
  DWORD length = UsableReportLength(true, len);
  if (length == 0 || EnsureBuffer(readBuffer) == nullptr) {
    return false;
  }
  memset(readBuffer, 0, kBufferSize);
  OVERLAPPED overlapped;
  ZeroMemory(&overlapped, sizeof(overlapped));
  overlapped.hEvent = readEvent;
  DWORD count = 0;
  BOOL started = ReadFile(device, readBuffer, length, nullptr, &overlapped);
  // A report of any other size is not the report asked for: the read fails.
  if (!FinishTransfer(started, overlapped, timeoutMs, &count) || count != length) {
    return false;
  }
  // The first byte is the report id, which never reaches the caller.
  memcpy(dst, readBuffer + 1, len);
  return true;
}

bool CHidDevice::WriteReport(const uint8_t* src, uint16_t len, TransportTimeoutMs timeoutMs) {
  if (!IsOpen() || (src == nullptr && len > 0)) {
    return false;
  }
  DWORD length = UsableReportLength(false, len);
  if (length == 0 || EnsureBuffer(writeBuffer) == nullptr) {
    return false;
  }
  memset(writeBuffer, 0, kBufferSize);
  // Report id 0 goes first, the caller's bytes after it.
  if (len > 0) {
    memcpy(writeBuffer + 1, src, len);
  }
  OVERLAPPED overlapped;
  ZeroMemory(&overlapped, sizeof(overlapped));
  overlapped.hEvent = writeEvent;
  DWORD count = 0;
  BOOL started = WriteFile(device, writeBuffer, length, nullptr, &overlapped);
  return FinishTransfer(started, overlapped, timeoutMs, &count);
}

bool CHidDevice::FinishTransfer(BOOL started, OVERLAPPED& overlapped, DWORD timeoutMs,
                                DWORD* count) {
  if (!started && GetLastError() != ERROR_IO_PENDING) {
    return false;
  }
  if (!started && WaitForSingleObject(overlapped.hEvent, timeoutMs) != WAIT_OBJECT_0) {
    // Still pending in the platform and pointing at `overlapped` and our buffer: cancel it
    // and wait until it has really ended before either is touched again. Should it have
    // completed meanwhile, that late result is dropped: the time-out decided.
    CancelIoEx(device, &overlapped);
    DWORD ignored = 0;
    GetOverlappedResult(device, &overlapped, &ignored, TRUE);
    return false;
  }
  // Complete: its status tells whether it worked (a vanished device completes with an
  // error), and InternalHigh holds the byte count.
  *count = static_cast<DWORD>(overlapped.InternalHigh);
  DWORD transferred = 0;
  return GetOverlappedResult(device, &overlapped, &transferred, FALSE) != FALSE;
}
