// A plain simulated HID device for transport tests (see ScriptedHidDevice.h).
#include "sim/win/host/ScriptedHidDevice.h"

#include <algorithm>

#include "sim/SimClock.h"

void ScriptedHidDevice::SetPresent(bool present) {
  std::lock_guard<std::mutex> lock(mutex_);
  present_ = present;
  if (!present) {
    connections_.clear();
  }
}

void ScriptedHidDevice::SetOpenable(bool openable) {
  std::lock_guard<std::mutex> lock(mutex_);
  openable_ = openable;
}

void ScriptedHidDevice::SetHeld(bool held) {
  std::lock_guard<std::mutex> lock(mutex_);
  held_ = held;
}

void ScriptedHidDevice::SetOwnedByWindows(bool owned) {
  std::lock_guard<std::mutex> lock(mutex_);
  ownedByWindows_ = owned;
}

void ScriptedHidDevice::SetReportLengths(uint16_t input, uint16_t output) {
  std::lock_guard<std::mutex> lock(mutex_);
  inputLength_ = input;
  outputLength_ = output;
}

void ScriptedHidDevice::SetFlags(uint16_t flags) {
  std::lock_guard<std::mutex> lock(mutex_);
  flags_ = flags;
}

void ScriptedHidDevice::SetReplyMarker(uint8_t marker) {
  std::lock_guard<std::mutex> lock(mutex_);
  marker_ = marker;
}

void ScriptedHidDevice::NoReplyTo(uint32_t write) {
  std::lock_guard<std::mutex> lock(mutex_);
  plans_[write].reply = false;
}

void ScriptedHidDevice::LateReplyTo(uint32_t write, uint32_t delayMs) {
  std::lock_guard<std::mutex> lock(mutex_);
  plans_[write].delayMs = delayMs;
}

void ScriptedHidDevice::ShortReplyTo(uint32_t write, uint8_t count) {
  std::lock_guard<std::mutex> lock(mutex_);
  plans_[write].count = count;
}

std::vector<std::vector<uint8_t>> ScriptedHidDevice::Writes() {
  std::lock_guard<std::mutex> lock(mutex_);
  return writes_;
}

unsigned ScriptedHidDevice::ConnectCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return connects_;
}

unsigned ScriptedHidDevice::OpenConnections() {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<unsigned>(connections_.size());
}

bool ScriptedHidDevice::Present() {
  std::lock_guard<std::mutex> lock(mutex_);
  return present_;
}

bool ScriptedHidDevice::Openable() {
  std::lock_guard<std::mutex> lock(mutex_);
  return openable_;
}

bool ScriptedHidDevice::Held() {
  std::lock_guard<std::mutex> lock(mutex_);
  return held_;
}

bool ScriptedHidDevice::OwnedByWindows() {
  std::lock_guard<std::mutex> lock(mutex_);
  return ownedByWindows_;
}

uint16_t ScriptedHidDevice::InputLength() {
  std::lock_guard<std::mutex> lock(mutex_);
  return inputLength_;
}

uint16_t ScriptedHidDevice::OutputLength() {
  std::lock_guard<std::mutex> lock(mutex_);
  return outputLength_;
}

uint16_t ScriptedHidDevice::Flags() {
  std::lock_guard<std::mutex> lock(mutex_);
  return flags_;
}

uint32_t ScriptedHidDevice::Connect() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!present_ || !openable_) {
    return 0;
  }
  ++connects_;
  uint32_t id = nextConnection_++;
  connections_[id];
  return id;
}

void ScriptedHidDevice::Disconnect(uint32_t connection) {
  std::lock_guard<std::mutex> lock(mutex_);
  connections_.erase(connection);
}

bool ScriptedHidDevice::HostWrite(uint32_t connection, const uint8_t* wire, size_t count) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = connections_.find(connection);
  if (found == connections_.end()) {
    return false;
  }
  const uint32_t number = static_cast<uint32_t>(writes_.size());
  writes_.emplace_back(wire, wire + count);
  Plan plan = plans_.count(number) != 0 ? plans_[number] : Plan{};
  if (!plan.reply) {
    return true;
  }
  SimReply reply;
  const size_t echoed = std::min<size_t>(count, reply.wire.size());
  std::copy(wire, wire + echoed, reply.wire.begin());
  reply.wire[0] = marker_;
  reply.count =
      static_cast<uint8_t>(plan.count != 0 ? std::min<size_t>(plan.count, echoed) : echoed);
  reply.dueMs = SimNowMs() + plan.delayMs;
  found->second.push_back(reply);
  return true;
}

ReplyStatus ScriptedHidDevice::PeekReply(uint32_t connection, uint32_t* dueMs) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = connections_.find(connection);
  if (found == connections_.end()) {
    return ReplyStatus::Gone;
  }
  if (found->second.empty()) {
    return ReplyStatus::None;
  }
  *dueMs = found->second.front().dueMs;
  return ReplyStatus::Pending;
}

bool ScriptedHidDevice::TakeReply(uint32_t connection, SimReply* reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = connections_.find(connection);
  if (found == connections_.end() || found->second.empty() ||
      static_cast<int32_t>(SimNowMs() - found->second.front().dueMs) < 0) {
    return false;
  }
  *reply = found->second.front();
  found->second.pop_front();
  return true;
}
