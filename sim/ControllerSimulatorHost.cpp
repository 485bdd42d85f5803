// The controller simulator's host side: presence, connections, requests written by the
// host, and replies queued for it with the time they become available.
#include <cstring>

#include "sim/SimClock.h"
#include "sim/ControllerSimulator.h"

namespace {

bool StepFor(SimDevice device, uint8_t command, Step* step) {
  const bool boot = device == SimDevice::BootLoader;
  switch (static_cast<CommandCode>(command)) {
    case CommandCode::EnterBootLoader:
      *step = Step::Enter;
      return !boot;
    case CommandCode::DataPacket:
      *step = Step::DataPacket;
      return boot;
    case CommandCode::EndTransfer:
      *step = Step::EndPacket;
      return boot;
    case CommandCode::SaveConfig:
      *step = Step::Save;
      return !boot;
    case CommandCode::ReadButtonBlock:
      *step = Step::ButtonRead;
      return !boot;
    case CommandCode::WriteButtonBlock:
      *step = Step::ButtonWrite;
      return !boot;
    case CommandCode::ReadGlobalConfig:
      *step = Step::GlobalRead;
      return !boot;
    case CommandCode::WriteGlobalConfig:
      *step = Step::GlobalWrite;
      return !boot;
    case CommandCode::SetMode:
      *step = Step::SetMode;
      return !boot;
  }
  return false;
}

bool HasFault(const std::optional<InjectedFault>& fault, Fault kind) {
  return fault && fault->fault == kind;
}

}  // namespace

bool ControllerSimulator::DeviceFor(uint16_t vid, uint16_t pid, SimDevice* device) {
  if (vid == kControllerVid && pid == kControllerPid) {
    *device = SimDevice::Controller;
    return true;
  }
  if (vid == kBootLoaderVid && pid == kBootLoaderPid) {
    *device = SimDevice::BootLoader;
    return true;
  }
  return false;
}

bool ControllerSimulator::IsPresent(uint16_t vid, uint16_t pid) {
  SimDevice device;
  return DeviceFor(vid, pid, &device) && IsPresent(device);
}

bool ControllerSimulator::IsPresent(SimDevice device) {
  std::lock_guard<std::mutex> lock(mutex_);
  AdvanceLocked();
  return PresentLocked(device);
}

uint16_t ControllerSimulator::ReportLength(SimDevice device) {
  std::lock_guard<std::mutex> lock(mutex_);
  return reportLength_[static_cast<size_t>(device)];
}

uint32_t ControllerSimulator::Connect(uint16_t vid, uint16_t pid) {
  SimDevice device;
  if (!DeviceFor(vid, pid, &device)) {
    return 0;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  AdvanceLocked();
  if (!PresentLocked(device)) {
    return 0;
  }
  Connection connection;
  connection.id = nextConnection_++;
  connection.device = device;
  connection.instance = instance_[static_cast<size_t>(device)];
  connections_.push_back(connection);
  return connection.id;
}

void ControllerSimulator::Disconnect(uint32_t connection) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (size_t i = 0; i < connections_.size(); ++i) {
    if (connections_[i].id == connection) {
      connections_.erase(connections_.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

bool ControllerSimulator::ConnectionDevice(uint32_t connection, SimDevice* device) {
  std::lock_guard<std::mutex> lock(mutex_);
  Connection* found = FindLocked(connection);
  if (found == nullptr) {
    return false;
  }
  *device = found->device;
  return true;
}

bool ControllerSimulator::HostWrite(uint32_t id, const uint8_t* wire, size_t count) {
  std::lock_guard<std::mutex> lock(mutex_);
  AdvanceLocked();
  Connection* connection = FindLocked(id);
  if (connection == nullptr || connection->dead || count != kWireReportSize ||
      !PresentLocked(connection->device) ||
      connection->instance != instance_[static_cast<size_t>(connection->device)]) {
    return false;
  }
  const SimDevice device = connection->device;
  CommandReport request;
  std::memcpy(request.data(), wire + 1, kReportSize);
  Step step;
  std::optional<InjectedFault> fault;
  if (StepFor(device, request.Command(), &step)) {
    fault = faults_.Next(step);
  }
  if (HasFault(fault, Fault::DeviceGone)) {
    EnterStateLocked(SimState::Gone);
    return false;
  }
  RecordLocked(device, Direction::HostToDevice, id, wire, count);
  if (wire[0] != 0) {
    violations_.push_back(
        Violation{ViolationKind::BadReportId, device, request.Command(), wire[0]});
  }
  if (HasFault(fault, Fault::WrongReportLength)) {
    reportLength_[static_cast<size_t>(device)] =
        static_cast<uint16_t>(fault->value ? fault->value : kReportSize);
  }
  CommandReport reply;
  if (DispatchLocked(device, request, fault, &reply)) {
    QueueReplyLocked(*connection, reply, fault);
  }
  return true;
}

// Lets the device act on one request; true when it answers.
bool ControllerSimulator::DispatchLocked(SimDevice device, const CommandReport& request,
                                         const std::optional<InjectedFault>& fault,
                                         CommandReport* reply) {
  if (device == SimDevice::BootLoader) {
    if (transferErases_ && request.Command() == static_cast<uint8_t>(CommandCode::DataPacket) &&
        !erased_) {
      erased_ = true;
      controller_.global = {};
      controller_.buttons = {};
    }
    bootLoader_.Handle(request, reply, &violations_);
    if (ImageCompleteLocked()) {
      firmwarePending_ = true;
    }
  } else if (request.Command() == static_cast<uint8_t>(CommandCode::EnterBootLoader)) {
    // The controller restarts; its reply (if any) stays readable on this connection.
    *reply = CommandReport::Request(CommandCode::EnterBootLoader);
    EnterStateLocked(SimState::Rebooting);
    bootScheduled_ = !HasFault(fault, Fault::NoBootLoader);
    if (!enterAnswered_) {
      return false;
    }
  } else {
    controller_.Handle(request, reply, &violations_);
  }
  return !HasFault(fault, Fault::NoReply);
}

void ControllerSimulator::QueueReplyLocked(Connection& connection, const CommandReport& reply,
                                           const std::optional<InjectedFault>& fault) {
  SimReply queued;
  queued.wire[0] = 0;
  std::memcpy(queued.wire.data() + 1, reply.data(), kReportSize);
  queued.dueMs = SimNowMs() + replyLatencyMs_;
  if (HasFault(fault, Fault::LateReply)) {
    queued.dueMs += fault->value;
  }
  if (HasFault(fault, Fault::ShortReply)) {
    const uint32_t count = fault->value ? fault->value : 32;
    queued.count = static_cast<uint8_t>(count < kWireReportSize ? count : kWireReportSize - 1);
  }
  if (connection.size == kQueueCapacity) {
    // Like a HID input buffer: the oldest report is dropped when it overflows.
    connection.head = (connection.head + 1) % kQueueCapacity;
    --connection.size;
  }
  connection.queue[(connection.head + connection.size) % kQueueCapacity] = queued;
  ++connection.size;
}

ReplyStatus ControllerSimulator::PeekReply(uint32_t id, uint32_t* dueMs) {
  std::lock_guard<std::mutex> lock(mutex_);
  AdvanceLocked();
  Connection* connection = FindLocked(id);
  if (connection == nullptr || connection->dead) {
    return ReplyStatus::Gone;
  }
  if (connection->size == 0) {
    return ReplyStatus::None;
  }
  *dueMs = connection->queue[connection->head].dueMs;
  return ReplyStatus::Pending;
}

bool ControllerSimulator::TakeReply(uint32_t id, SimReply* reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  AdvanceLocked();
  Connection* connection = FindLocked(id);
  if (connection == nullptr || connection->dead || connection->size == 0) {
    return false;
  }
  const SimReply& front = connection->queue[connection->head];
  if (static_cast<int32_t>(SimNowMs() - front.dueMs) < 0) {
    return false;
  }
  *reply = front;
  if (connection->device == SimDevice::BootLoader && reply->count == kWireReportSize &&
      reply->wire[1 + 3] == static_cast<uint8_t>(CommandCode::DataPacket)) {
    ++packetsAcked_;
  }
  connection->head = (connection->head + 1) % kQueueCapacity;
  --connection->size;
  RecordLocked(connection->device, Direction::DeviceToHost, id, reply->wire.data(), reply->count);
  return true;
}

bool ControllerSimulator::NextTransitionMs(uint32_t* atMs) {
  std::lock_guard<std::mutex> lock(mutex_);
  AdvanceLocked();
  if (state_ == SimState::PoweringOn) {
    *atMs = stateStartMs_ + powerOnDelayMs_;
    return true;
  }
  if (state_ == SimState::Rebooting && bootScheduled_) {
    *atMs = stateStartMs_ + bootDelayMs_;
    return true;
  }
  return false;
}

uint32_t ControllerSimulator::ChangeCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  AdvanceLocked();
  return changeCount_;
}

ControllerSimulator::Connection* ControllerSimulator::FindLocked(uint32_t id) {
  for (Connection& connection : connections_) {
    if (connection.id == id) {
      return &connection;
    }
  }
  return nullptr;
}

void ControllerSimulator::RecordLocked(SimDevice device, Direction direction, uint32_t connection,
                                       const uint8_t* wire, size_t count) {
  if (!transcriptEnabled_) {
    return;
  }
  TranscriptEntry entry;
  entry.timeMs = SimNowMs();
  entry.device = device;
  entry.direction = direction;
  entry.connection = connection;
  entry.count = static_cast<uint8_t>(count);
  std::memcpy(entry.wire.data(), wire, count);
  transcript_.push_back(entry);
}
