// One of the controller simulator's two USB identities (normal mode or boot loader) as a
// device behind a pipe.
#pragma once

#include <atomic>

#include "sim/ControllerSimulator.h"
#include "sim/win/host/HidBackend.h"

class ControllerBackend final : public HidBackend {
 public:
  ControllerBackend(ControllerSimulator& sim, SimDevice device);

  uint16_t VendorId() override { return vendorId_; }
  uint16_t ProductId() override { return productId_; }
  bool Present() override { return sim_.IsPresent(device_); }
  // Held by another (see HidBackend::Held) until let go, whatever the simulator does
  // meanwhile: a controller hidden before a power cycle is hidden again after it.
  void SetHeld(bool held) { held_ = held; }
  bool Held() override { return held_; }
  uint16_t InputLength() override { return sim_.ReportLength(device_); }
  uint16_t OutputLength() override { return sim_.ReportLength(device_); }

  uint32_t Connect() override { return sim_.Connect(vendorId_, productId_); }
  void Disconnect(uint32_t connection) override { sim_.Disconnect(connection); }
  bool HostWrite(uint32_t connection, const uint8_t* wire, size_t count) override {
    return sim_.HostWrite(connection, wire, count);
  }
  ReplyStatus PeekReply(uint32_t connection, uint32_t* dueMs) override {
    return sim_.PeekReply(connection, dueMs);
  }
  bool TakeReply(uint32_t connection, SimReply* reply) override {
    return sim_.TakeReply(connection, reply);
  }

 private:
  ControllerSimulator& sim_;
  SimDevice device_;
  uint16_t vendorId_;
  uint16_t productId_;
  std::atomic<bool> held_{false};
};
