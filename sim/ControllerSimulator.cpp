// The controller simulator's state machine, setup and observations. The host-side calls
// (connections, writes, replies) are in ControllerSimulatorHost.cpp.
#include "sim/ControllerSimulator.h"

#include "sim/SimClock.h"

ControllerSimulator::ControllerSimulator() {
  stateStartMs_ = SimNowMs();
  connections_.reserve(8);
  transcript_.reserve(256);
}

void ControllerSimulator::SetGlobalConfig(const GlobalConfig& global) {
  std::lock_guard<std::mutex> lock(mutex_);
  controller_.global = global;
}

void ControllerSimulator::SetButtonConfig(const ButtonConfig& buttons) {
  std::lock_guard<std::mutex> lock(mutex_);
  controller_.buttons = buttons;
}

void ControllerSimulator::SetEnterAnswered(bool answered) {
  std::lock_guard<std::mutex> lock(mutex_);
  enterAnswered_ = answered;
}

void ControllerSimulator::SetBootDelayMs(uint32_t ms) {
  std::lock_guard<std::mutex> lock(mutex_);
  bootDelayMs_ = ms;
}

void ControllerSimulator::SetPowerOnDelayMs(uint32_t ms) {
  std::lock_guard<std::mutex> lock(mutex_);
  powerOnDelayMs_ = ms;
}

void ControllerSimulator::SetReplyLatencyMs(uint32_t ms) {
  std::lock_guard<std::mutex> lock(mutex_);
  replyLatencyMs_ = ms;
}

void ControllerSimulator::SetReportLength(SimDevice device, uint16_t length) {
  std::lock_guard<std::mutex> lock(mutex_);
  reportLength_[static_cast<size_t>(device)] = length;
}

void ControllerSimulator::SetNewFirmware(uint8_t version) {
  std::lock_guard<std::mutex> lock(mutex_);
  newVersion_ = version;
  factoryReset_ = false;
}

void ControllerSimulator::SetNewFirmware(uint8_t version, const GlobalConfig& factoryGlobal,
                                         const ButtonConfig& factoryButtons) {
  std::lock_guard<std::mutex> lock(mutex_);
  newVersion_ = version;
  factoryReset_ = true;
  factoryGlobal_ = factoryGlobal;
  factoryButtons_ = factoryButtons;
}

void ControllerSimulator::SetHomeHeld(bool held) {
  std::lock_guard<std::mutex> lock(mutex_);
  homeHeld_ = held;
}

void ControllerSimulator::SetTransferErases(bool erases) {
  std::lock_guard<std::mutex> lock(mutex_);
  transferErases_ = erases;
}

void ControllerSimulator::Inject(Step step, uint32_t occurrence, Fault fault, uint32_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.Add(step, occurrence, fault, value);
}

void ControllerSimulator::ClearFaults() {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.Clear();
}

void ControllerSimulator::SetTranscriptEnabled(bool enabled) {
  std::lock_guard<std::mutex> lock(mutex_);
  transcriptEnabled_ = enabled;
}

void ControllerSimulator::ClearTranscript() {
  std::lock_guard<std::mutex> lock(mutex_);
  transcript_.clear();
}

void ControllerSimulator::ReserveImage(size_t bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  bootLoader_.Reserve(bytes);
}

void ControllerSimulator::SetPower(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  AdvanceLocked();
  const bool powered = state_ != SimState::Off;
  if (on == powered) {
    return;
  }
  EnterStateLocked(on ? SimState::PoweringOn : SimState::Off);
}

bool ControllerSimulator::IsPowered() {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_ != SimState::Off;
}

SimState ControllerSimulator::State() {
  std::lock_guard<std::mutex> lock(mutex_);
  AdvanceLocked();
  return state_;
}

GlobalConfig ControllerSimulator::GetGlobalConfig() {
  std::lock_guard<std::mutex> lock(mutex_);
  AdvanceLocked();
  return controller_.global;
}

ButtonConfig ControllerSimulator::GetButtonConfig() {
  std::lock_guard<std::mutex> lock(mutex_);
  AdvanceLocked();
  return controller_.buttons;
}

std::vector<TranscriptEntry> ControllerSimulator::Transcript() {
  std::lock_guard<std::mutex> lock(mutex_);
  return transcript_;
}

std::vector<CommandReport> ControllerSimulator::Requests(SimDevice device) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<CommandReport> requests;
  for (const TranscriptEntry& entry : transcript_) {
    if (entry.device == device && entry.direction == Direction::HostToDevice) {
      requests.push_back(entry.Report());
    }
  }
  return requests;
}

std::vector<Violation> ControllerSimulator::Violations() {
  std::lock_guard<std::mutex> lock(mutex_);
  return violations_;
}

std::vector<uint8_t> ControllerSimulator::ReceivedImage() {
  std::lock_guard<std::mutex> lock(mutex_);
  return bootLoader_.Image();
}

bool ControllerSimulator::ImageComplete() {
  std::lock_guard<std::mutex> lock(mutex_);
  return ImageCompleteLocked();
}

// The boot loader took a clean image, and the host got the answer to every data packet
// (a packet the host saw fail means the host did not send what followed it).
bool ControllerSimulator::ImageCompleteLocked() const {
  return bootLoader_.Complete() && packetsAcked_ == bootLoader_.Packets();
}

uint32_t ControllerSimulator::DataPacketsReceived() {
  std::lock_guard<std::mutex> lock(mutex_);
  return bootLoader_.Packets();
}

unsigned ControllerSimulator::SaveCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return controller_.saveCount;
}

GlobalConfig ControllerSimulator::SavedGlobalConfig() {
  std::lock_guard<std::mutex> lock(mutex_);
  return controller_.savedGlobal;
}

ButtonConfig ControllerSimulator::SavedButtonConfig() {
  std::lock_guard<std::mutex> lock(mutex_);
  return controller_.savedButtons;
}

std::vector<uint16_t> ControllerSimulator::ModesSet() {
  std::lock_guard<std::mutex> lock(mutex_);
  return controller_.modesSet;
}

unsigned ControllerSimulator::PowerOnCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  AdvanceLocked();
  return powerOnCount_;
}

// Applies the time-driven changes that are due: a finished power-on, a boot loader that
// has come up after command 0x01.
void ControllerSimulator::AdvanceLocked() {
  const uint32_t elapsed = SimNowMs() - stateStartMs_;
  if (state_ == SimState::PoweringOn && elapsed >= powerOnDelayMs_) {
    ComeUpLocked();
  } else if (state_ == SimState::Rebooting && bootScheduled_ && elapsed >= bootDelayMs_) {
    EnterStateLocked(SimState::BootLoader);
  }
}

void ControllerSimulator::ComeUpLocked() {
  ++powerOnCount_;
  if (firmwarePending_) {
    // The image received since the last power-on is now the running firmware.
    firmwarePending_ = false;
    erased_ = false;
    if (factoryReset_) {
      controller_.global = factoryGlobal_;
      controller_.buttons = factoryButtons_;
    }
    if (newVersion_) {
      controller_.global[kFirmwareVersionByte] = *newVersion_;
    }
  }
  EnterStateLocked(homeHeld_ || erased_ ? SimState::BootLoader : SimState::Normal);
}

void ControllerSimulator::EnterStateLocked(SimState state) {
  const SimState old = state_;
  state_ = state;
  stateStartMs_ = SimNowMs();
  ++changeCount_;
  if (state == SimState::Off || state == SimState::Gone) {
    KillConnectionsLocked(true, SimDevice::Controller);
  } else if (old == SimState::BootLoader) {
    KillConnectionsLocked(false, SimDevice::BootLoader);
  }
  if (state == SimState::Normal) {
    ++instance_[static_cast<size_t>(SimDevice::Controller)];
  } else if (state == SimState::BootLoader) {
    ++instance_[static_cast<size_t>(SimDevice::BootLoader)];
    bootLoader_.Begin();
    packetsAcked_ = 0;
    faults_.ResetCount(Step::DataPacket);
  }
}

void ControllerSimulator::KillConnectionsLocked(bool allDevices, SimDevice device) {
  for (Connection& connection : connections_) {
    if (allDevices || connection.device == device) {
      connection.dead = true;
      connection.size = 0;
    }
  }
}

bool ControllerSimulator::PresentLocked(SimDevice device) const {
  return device == SimDevice::Controller ? state_ == SimState::Normal
                                         : state_ == SimState::BootLoader;
}
