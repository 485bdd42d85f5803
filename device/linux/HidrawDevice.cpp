// One hidraw connection (see HidrawDevice.h).
#include "device/linux/HidrawDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

#include "device/linux/HidrawNodeOpen.h"
#include "device/linux/HidrawScan.h"
#include "platform/PrintableText.h"
#include "platform/linux/MonotonicClock.h"
#include "platform/linux/Utf8Text.h"

namespace {

// Largest report this object moves, report id included; beyond any HID full-speed report.
constexpr size_t kBufferSize = 4096;

// A node we may not open is said once per process, not at every retry of a waiting command.
void ReportAccessDenied(const std::string& path) {
  static std::mutex mutex;
  static std::set<std::string> reported;
  std::lock_guard<std::mutex> lock(mutex);
  if (reported.insert(path).second) {
    std::fprintf(stderr,
                 "padwright: no permission to open %s: run as root, or install the udev rule "
                 "70-padwright.rules (see README)\n",
                 EscapeControls(path).c_str());
  }
}

// The controller's command interface: 64-byte reports both ways, no report ids.
bool IsCommandInterface(const HidrawNode& node) {
  return HasReportLength(node, kCommandReportLength);
}

}  // namespace

CHidrawDevice::~CHidrawDevice() {
  CloseDevice();
}

bool CHidrawDevice::OpenDevice(uint16_t vid, uint16_t pid, const wchar_t* pathFilter) {
  CloseDevice();
  const std::string filter = pathFilter ? ToUtf8(pathFilter) : std::string();
  // Only the interface with the controller's report length is the controller: a composite
  // device's gamepad or keyboard node with the same ids is never opened for commands. While
  // udev catches up after a power cycle that node may be listed before it can be opened; the
  // open then fails, and the caller's open wait tries again.
  for (const HidrawNode& node : ListHidrawNodes()) {
    if (node.vendorId != vid || node.productId != pid ||
        node.devicePath.find(filter) == std::string::npos || !IsCommandInterface(node)) {
      continue;
    }
    // Non-blocking: every wait goes through poll with its time-out.
    const HidrawNodeOpen opened = OpenHidrawNode(node);
    if (opened.fd < 0) {
      if (errno == EACCES || errno == EPERM) {
        ReportAccessDenied(opened.path);
      }
      continue;
    }
    fd_ = opened.fd;
    path_ = opened.path;
    inputLength_ = node.lengths.input;
    outputLength_ = node.lengths.output;
    return true;
  }
  return false;
}

void CHidrawDevice::CloseDevice() {
  if (fd_ >= 0) {
    close(fd_);
  }
  fd_ = -1;
  path_.clear();
  inputLength_ = 0;
  outputLength_ = 0;
}

bool CHidrawDevice::IsPresent(uint16_t vid, uint16_t pid) {
  bool present = false;
  for (const HidrawNode& node : ListHidrawNodes()) {
    present = present || (node.vendorId == vid && node.productId == pid);
  }
  return present;
}

bool CHidrawDevice::WaitReady(short events, uint64_t deadlineMs) {
  for (;;) {
    const uint64_t now = MonotonicMs();
    const int left = now >= deadlineMs ? 0 : static_cast<int>(deadlineMs - now);
    pollfd entry{fd_, events, 0};
    const int ready = poll(&entry, 1, left);
    if (ready < 0 && errno == EINTR) {
      continue;  // a signal (a deferred Ctrl+C) is no reason to give up; the deadline holds
    }
    if (ready <= 0) {
      return false;
    }
    if (entry.revents & events) {
      return true;
    }
    // POLLHUP / POLLERR / POLLNVAL without data: the device has gone, no use waiting on.
    return false;
  }
}

bool CHidrawDevice::ReadReport(uint8_t* dst, uint16_t len, TransportTimeoutMs timeoutMs) {
  if (!IsOpen() || (dst == nullptr && len > 0) || inputLength_ != len + 1u ||
      len + 1u > kBufferSize) {
    return false;
  }
  const uint64_t deadline = MonotonicMs() + timeoutMs;
  uint8_t buffer[kBufferSize];
  for (;;) {
    if (!WaitReady(POLLIN, deadline)) {
      return false;
    }
    // hidraw hands over an unnumbered report without its id byte: exactly `len` bytes.
    const ssize_t n = read(fd_, buffer, sizeof(buffer));
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
      continue;
    }
    if (n != static_cast<ssize_t>(len)) {
      return false;  // a failed read (EIO once unplugged), or a report of another length
    }
    std::memcpy(dst, buffer, len);
    return true;
  }
}

bool CHidrawDevice::WriteReport(const uint8_t* src, uint16_t len, TransportTimeoutMs timeoutMs) {
  if (!IsOpen() || (src == nullptr && len > 0) || outputLength_ != len + 1u ||
      len + 1u > kBufferSize) {
    return false;
  }
  uint8_t buffer[kBufferSize];
  buffer[0] = 0;  // report id 0: the device numbers no reports
  if (len > 0) {
    std::memcpy(buffer + 1, src, len);
  }
  const uint64_t deadline = MonotonicMs() + timeoutMs;
  for (;;) {
    // Written at once: hidraw takes a report synchronously, and older kernels never report a
    // hidraw node writable to poll. Only a node that says "not now" is waited for.
    const ssize_t n = write(fd_, buffer, len + 1u);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0 && errno == EAGAIN) {
      if (!WaitReady(POLLOUT, deadline)) {
        return false;
      }
      continue;
    }
    return n >= 0;  // ENODEV once unplugged
  }
}
