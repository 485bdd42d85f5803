// The controller link: every configuration command and the firmware transfer, written once
// over any HID transport (HidTransport.h). The products instantiate it over the Win32 HID
// transport and over hidraw, tests over the simulator's transport.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <type_traits>
#include <utility>

#include "device/CommandReport.h"
#include "device/HidTransport.h"
#include "device/ConfigBlocks.h"
#include "platform/Clock.h"

template <HidTransport Transport>
class CVexapadT {
 public:
  // Called after each acknowledged data packet as (bytes done, image size), with the device
  // mutex held: it must not call back into this object.
  using ProgressCallback = std::function<void(size_t, size_t)>;
  // Called once the boot loader is open, right before the first data packet (the packet
  // that erases the controller's firmware and configuration), with the device mutex held.
  // False stops the transfer there: no packet is sent, nothing on the controller changed.
  using TransferStartCallback = std::function<bool()>;

  // Both transports are constructed from the same arguments (none for the HID transport).
  // Every wait and time-out runs on `clock`, which outlives the link.
  template <typename... Args>
  requires std::is_constructible_v<Transport, Args&...>
  explicit CVexapadT(Clock& clock, Args&&... args)
      : mainTransport(args...), bootTransport(args...), clock_(clock) {}
  ~CVexapadT() {
    bootTransport.CloseDevice();
    mainTransport.CloseDevice();
  }
  CVexapadT(const CVexapadT&) = delete;
  CVexapadT& operator=(const CVexapadT&) = delete;

  bool SaveConfig(uint32_t timeoutMs) {
    std::lock_guard<std::mutex> lock(deviceMutex);
    return ExchangeOnce(CommandReport::Request(CommandCode::SaveConfig), nullptr, timeoutMs);
  }

  // Copies `len` bytes of the global block (from reply byte 6) into `out`; `out` is left as
  // it was on failure. A length above one report's payload fails without any I/O.
  bool ReadGlobalConfig(uint8_t* out, uint8_t len, uint32_t timeoutMs) {
    if (len > kMaxPayload || (out == nullptr && len > 0)) {
      return false;
    }
    std::lock_guard<std::mutex> lock(deviceMutex);
    CommandReport reply;
    if (!ExchangeOnce(CommandReport::Request(CommandCode::ReadGlobalConfig), &reply, timeoutMs)) {
      return false;
    }
    CopyPayload(reply, out, len);
    return true;
  }

  bool WriteGlobalConfig(const uint8_t* data, uint8_t len, uint32_t timeoutMs) {
    if (len > kMaxPayload || (data == nullptr && len > 0)) {
      return false;
    }
    std::lock_guard<std::mutex> lock(deviceMutex);
    CommandReport request = CommandReport::Request(CommandCode::WriteGlobalConfig);
    request.SetPayload(data, len);
    return ExchangeOnce(request, nullptr, timeoutMs);
  }

  // True once the controller has answered; the reply's contents are not looked at.
  bool SetMode(uint16_t mode, uint32_t timeoutMs) {
    std::lock_guard<std::mutex> lock(deviceMutex);
    return ExchangeOnce(CommandReport::Request(CommandCode::SetMode, mode), nullptr, timeoutMs);
  }

  // Reads the 33 blocks in order into `out` (363 bytes), under one open of the controller.
  // Stops at the first failing block: the blocks before it are stored, the rest untouched.
  bool ReadButtonConfig(uint8_t* out, uint32_t timeoutMs) {
    std::lock_guard<std::mutex> lock(deviceMutex);
    if (!_Open(timeoutMs)) {
      return false;
    }
    bool ok = true;
    for (size_t i = 0; ok && i < kButtonBlockCount; ++i) {
      ok = ReadButtonBlock(out + kButtonBlockSize * i, kButtonBlockSize, static_cast<uint8_t>(i));
    }
    Close();
    return ok;
  }

  bool WriteButtonConfig(const uint8_t* data, uint32_t timeoutMs) {
    std::lock_guard<std::mutex> lock(deviceMutex);
    if (!_Open(timeoutMs)) {
      return false;
    }
    bool ok = true;
    for (size_t i = 0; ok && i < kButtonBlockCount; ++i) {
      ok = WriteButtonBlock(data + kButtonBlockSize * i, kButtonBlockSize, static_cast<uint8_t>(i));
    }
    Close();
    return ok;
  }

  // One exchange of command 0x06 on the already open controller; takes no lock.
  bool ReadButtonBlock(uint8_t* out, uint8_t len, uint8_t index) {
    if (len > kMaxPayload) {
      return false;
    }
    CommandReport reply;
    if (!Exchange(mainTransport, CommandReport::Request(CommandCode::ReadButtonBlock, index),
                  &reply)) {
      return false;
    }
    CopyPayload(reply, out, len);
    return true;
  }

  // One exchange of command 0x07 on the already open controller; takes no lock.
  bool WriteButtonBlock(const uint8_t* data, uint8_t len, uint8_t index) {
    if (len > kMaxPayload) {
      return false;
    }
    CommandReport request = CommandReport::Request(CommandCode::WriteButtonBlock, index);
    request.SetPayload(data, len);
    return Exchange(mainTransport, request, nullptr);
  }

  // Sends the image to the boot loader: asks the normal-mode controller to restart into it,
  // waits up to `timeoutMs` for it to appear, streams 58-byte packets each acknowledged
  // before the next, then the end packet. True only when every data packet and the end
  // packet were acknowledged. `transferStarts` may stop it before the first data packet. An empty
  // image is refused before anything is opened.
  bool Upgrade(unsigned char* data, size_t size, ProgressCallback progress, int timeoutMs,
               const TransferStartCallback& transferStarts = nullptr) {
    if (data == nullptr || size == 0) {
      return false;
    }
    std::lock_guard<std::mutex> lock(deviceMutex);
    EnterBootLoader();
    if (!WaitForBootLoader(timeoutMs)) {
      bootTransport.CloseDevice();  // a failed open may have left its events behind
      return false;
    }
    if (transferStarts && !transferStarts()) {
      bootTransport.CloseDevice();
      return false;
    }
    const bool allSent = SendImage(data, size, progress);
    // The end packet goes out even after a data packet failed, as the boot loader expects
    // every transfer to be closed.
    const bool ended =
        Exchange(bootTransport, CommandReport::Request(CommandCode::EndTransfer), nullptr);
    bootTransport.CloseDevice();
    return allSent && ended;
  }

  void Close() { mainTransport.CloseDevice(); }

  // How often the normal-mode controller has been opened, and when (the link's clock) it
  // last was: a sequence tells from them when the controller came back after a power cycle.
  uint32_t OpenCount() const { return openCount_.load(); }
  uint32_t LastOpenedMs() const { return lastOpenedMs_.load(); }

  static uint16_t Checksum(const uint8_t* data, size_t len) { return ::Checksum(data, len); }

  // Waits `ms` in 20 ms steps, ending at the first check after more than `ms` have passed.
  void Pause(int ms) {
    if (ms < 0) {
      return;  // a negative wait would be an endless one on Windows
    }
    if (ms < kPauseStepMs) {
      clock_.SleepMs(static_cast<uint32_t>(ms));
      return;
    }
    const uint32_t start = clock_.NowMs();
    while (clock_.NowMs() - start <= static_cast<uint32_t>(ms)) {
      clock_.SleepMs(kPauseStepMs);
    }
  }

  Transport mainTransport;  // the controller in normal mode
  Transport bootTransport;  // the controller's boot loader
  std::mutex deviceMutex;   // held by every command and the whole transfer

 private:
  Clock& clock_;
  std::atomic<uint32_t> openCount_{0};
  std::atomic<uint32_t> lastOpenedMs_{0};

  // Waits up to `timeoutMs` for the normal-mode controller, trying every 200 ms; the
  // elapsed time is tested before each attempt, so 0 makes no attempt at all.
  bool _Open(uint32_t timeoutMs) {
    const uint32_t start = clock_.NowMs();
    while (clock_.NowMs() - start < timeoutMs) {
      if (mainTransport.OpenDevice(kControllerVid, kControllerPid, L"")) {
        break;
      }
      Pause(kOpenRetryPauseMs);
    }
    if (!mainTransport.IsOpen()) {
      return false;
    }
    lastOpenedMs_.store(clock_.NowMs());
    openCount_.fetch_add(1);
    return true;
  }

  // Writes `request` and reads one reply into `reply` (a zeroed scratch one when null).
  static bool Exchange(Transport& transport, const CommandReport& request, CommandReport* reply) {
    if (!transport.WriteReport(request.data(), kReportSize, kTransferTimeoutMs)) {
      return false;
    }
    CommandReport scratch;
    CommandReport* target = reply ? reply : &scratch;
    *target = CommandReport{};
    return transport.ReadReport(target->data(), kReportSize, kTransferTimeoutMs);
  }

  // Open, one exchange, close (also when the open failed).
  bool ExchangeOnce(const CommandReport& request, CommandReport* reply, uint32_t timeoutMs) {
    bool ok = _Open(timeoutMs) && Exchange(mainTransport, request, reply);
    Close();
    return ok;
  }

  static void CopyPayload(const CommandReport& reply, uint8_t* out, uint8_t len) {
    for (uint8_t i = 0; i < len; ++i) {
      out[i] = reply.Payload()[i];
    }
  }

  // One attempt, no waiting; whether the controller was there or answered does not matter.
  void EnterBootLoader() {
    if (mainTransport.OpenDevice(kControllerVid, kControllerPid, L"")) {
      Exchange(mainTransport, CommandReport::Request(CommandCode::EnterBootLoader), nullptr);
    }
    mainTransport.CloseDevice();
  }

  bool WaitForBootLoader(int timeoutMs) {
    const uint32_t start = clock_.NowMs();
    while (timeoutMs > 0 && clock_.NowMs() - start < static_cast<uint32_t>(timeoutMs)) {
      if (bootTransport.OpenDevice(kBootLoaderVid, kBootLoaderPid, L"")) {
        break;
      }
      Pause(kOpenRetryPauseMs);
    }
    return bootTransport.IsOpen();
  }

  // Streams the image in place, 58 bytes a packet; stops at the first unacknowledged one.
  bool SendImage(const unsigned char* data, size_t size, const ProgressCallback& progress) {
    size_t done = 0;
    uint16_t index = 0;
    while (done < size) {
      const uint8_t n = static_cast<uint8_t>(size - done < kMaxPayload ? size - done : kMaxPayload);
      CommandReport packet = CommandReport::Request(CommandCode::DataPacket, index);
      packet.SetPayload(data + done, n);
      if (!Exchange(bootTransport, packet, nullptr)) {
        return false;
      }
      done += n;
      if (progress) {
        progress(done, size);
      }
      ++index;  // wraps to 0 after 65535
    }
    return true;
  }
};
