// A plain simulated HID device for transport tests: any vendor and product id, report
// lengths as asked, openable or not, and replies that echo each write (report id replaced
// by a marker) unless a write is planned to get no reply, a late one or a short one.
// Thread-safe; records every write as it arrived.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "sim/win/host/HidBackend.h"

class ScriptedHidDevice final : public HidBackend {
 public:
  ScriptedHidDevice(uint16_t vid, uint16_t pid) : vendorId_(vid), productId_(pid) {}

  // ---- Setup -------------------------------------------------------------------------
  // Absent: not listed, and every open connection is dead.
  void SetPresent(bool present);
  void SetOpenable(bool openable);
  // Listed but refused with ERROR_ACCESS_DENIED (see HidBackend::Held).
  void SetHeld(bool held);
  // Opened exclusively by another (see HidBackend::OwnedByWindows); before the host starts.
  void SetOwnedByWindows(bool owned);
  void SetReportLengths(uint16_t input, uint16_t output);
  void SetFlags(uint16_t flags);
  // First byte of every reply (where the report id travels); default 0.
  void SetReplyMarker(uint8_t marker);
  // Plans for the write numbered `write` (0-based, over the device's whole life).
  void NoReplyTo(uint32_t write);
  void LateReplyTo(uint32_t write, uint32_t delayMs);
  void ShortReplyTo(uint32_t write, uint8_t count);

  // ---- Observations ------------------------------------------------------------------
  std::vector<std::vector<uint8_t>> Writes();
  unsigned ConnectCount();
  unsigned OpenConnections();

  // ---- HidBackend --------------------------------------------------------------------
  uint16_t VendorId() override { return vendorId_; }
  uint16_t ProductId() override { return productId_; }
  bool Present() override;
  bool Openable() override;
  bool Held() override;
  bool OwnedByWindows() override;
  uint16_t InputLength() override;
  uint16_t OutputLength() override;
  uint16_t Flags() override;
  uint32_t Connect() override;
  void Disconnect(uint32_t connection) override;
  bool HostWrite(uint32_t connection, const uint8_t* wire, size_t count) override;
  ReplyStatus PeekReply(uint32_t connection, uint32_t* dueMs) override;
  bool TakeReply(uint32_t connection, SimReply* reply) override;

 private:
  struct Plan {
    bool reply = true;
    uint32_t delayMs = 0;
    uint8_t count = 0;  // 0: as long as the write
  };

  const uint16_t vendorId_;
  const uint16_t productId_;
  std::mutex mutex_;
  bool present_ = true;
  bool openable_ = true;
  bool held_ = false;
  bool ownedByWindows_ = false;
  uint16_t inputLength_ = kWireReportSize;
  uint16_t outputLength_ = kWireReportSize;
  uint16_t flags_ = 0;
  uint8_t marker_ = 0;
  std::map<uint32_t, Plan> plans_;
  std::vector<std::vector<uint8_t>> writes_;
  std::map<uint32_t, std::deque<SimReply>> connections_;  // live ones and their replies
  uint32_t nextConnection_ = 1;
  unsigned connects_ = 0;
};
