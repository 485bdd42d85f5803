// Hosts simulated HID devices behind named pipes (see SimHost.h).
#include "sim/win/host/SimHost.h"

#include <cstring>
#include <cwchar>

namespace {

constexpr uint16_t kVersionNumber = 0x0100;

bool SameEntries(const std::vector<SimHidEntry>& a, const std::vector<SimHidEntry>& b) {
  return a.size() == b.size() &&
         (a.empty() || memcmp(a.data(), b.data(), a.size() * sizeof(SimHidEntry)) == 0);
}

}  // namespace

SimHost::SimHost() {
  stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

SimHost::~SimHost() {
  Stop();
  if (stopEvent_ != nullptr) {
    CloseHandle(stopEvent_);
  }
}

void SimHost::AddController(ControllerSimulator& sim) {
  sim_ = &sim;
  for (SimDevice device : {SimDevice::Controller, SimDevice::BootLoader}) {
    ownedBackends_.push_back(std::make_unique<ControllerBackend>(sim, device));
    devices_.push_back(ownedBackends_.back().get());
  }
}

void SimHost::SetControllerHeld(bool held) {
  // The first owned backend is the normal-mode identity (AddController's order).
  if (!ownedBackends_.empty()) {
    ownedBackends_.front()->SetHeld(held);
  }
  // Listed anew at once, so that a scan that follows sees the change.
  if (running_) {
    Publish();
  }
}

void SimHost::AddDevice(HidBackend& device) {
  devices_.push_back(&device);
}

std::wstring SimHost::DevicePath(size_t index) const {
  if (index >= devices_.size()) {
    return std::wstring();
  }
  wchar_t base[96];
  SimHidTable::NameWithId(sim_hid::kPipePrefix, base, 96);
  wchar_t path[sim_hid::kMaxPath];
  swprintf(path, sim_hid::kMaxPath, L"\\\\.\\pipe\\%ls-%u-vid_%04x&pid_%04x", base,
           static_cast<unsigned>(index), devices_[index]->VendorId(), devices_[index]->ProductId());
  return path;
}

std::wstring SimHost::HeldPath(size_t index) const {
  const std::wstring pipe = DevicePath(index);
  const size_t slash = pipe.rfind(L'\\');
  if (pipe.empty() || slash == std::wstring::npos) {
    return std::wstring();
  }
  wchar_t temp[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) {
    return std::wstring();
  }
  return std::wstring(temp) + pipe.substr(slash + 1);
}

std::wstring SimHost::OwnedPath(size_t index) const {
  const std::wstring held = HeldPath(index);
  return held.empty() ? held : held + L".owned";
}

bool SimHost::HoldOwnedFiles() {
  for (size_t i = 0; i < devices_.size(); ++i) {
    if (!devices_[i]->OwnedByWindows()) {
      continue;
    }
    HANDLE file = CreateFileW(OwnedPath(i).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      return false;
    }
    ownedFiles_.push_back(file);
  }
  return true;
}

void SimHost::ReleaseOwnedFiles() {
  for (HANDLE file : ownedFiles_) {
    CloseHandle(file);
  }
  ownedFiles_.clear();
  for (size_t i = 0; i < devices_.size(); ++i) {
    if (devices_[i]->OwnedByWindows()) {
      DeleteFileW(OwnedPath(i).c_str());
    }
  }
}

std::wstring SimHost::ListedPath(size_t index) {
  if (devices_[index]->OwnedByWindows()) {
    return OwnedPath(index);
  }
  if (!devices_[index]->Held()) {
    return DevicePath(index);
  }
  const std::wstring held = HeldPath(index);
  CreateDirectoryW(held.c_str(), nullptr);  // there already from an earlier look: fine
  return held;
}

void SimHost::RemoveHeldFolders() {
  for (size_t i = 0; i < devices_.size(); ++i) {
    const std::wstring held = HeldPath(i);
    if (!held.empty()) {
      RemoveDirectoryW(held.c_str());
    }
  }
}

bool SimHost::Start() {
  if (running_ || stopEvent_ == nullptr || devices_.size() > sim_hid::kMaxDevices) {
    return false;
  }
  if (!table_.Open(true) || (watchPower_ && sim_ != nullptr && !StartPowerWatch())) {
    table_.Close();
    return false;
  }
  ResetEvent(stopEvent_);
  running_ = true;
  if (!HoldOwnedFiles()) {
    Stop();
    return false;
  }
  for (size_t i = 0; i < devices_.size(); ++i) {
    pipes_.push_back(std::make_unique<PipeDevice>(*devices_[i], DevicePath(i), stopEvent_,
                                                  [this] { Publish(); }));
    if (!pipes_.back()->Start()) {
      Stop();
      return false;
    }
  }
  Publish();
  watcher_ = std::thread(&SimHost::Watch, this);
  return true;
}

void SimHost::Stop() {
  if (!running_) {
    return;
  }
  SetEvent(stopEvent_);
  if (watcher_.joinable()) {
    watcher_.join();
  }
  for (auto& pipe : pipes_) {
    pipe->Join();
  }
  pipes_.clear();
  {
    std::lock_guard<std::mutex> lock(publishMutex_);
    table_.Publish(nullptr, 0);
    published_.clear();
  }
  table_.Close();
  physical_.Close();
  RemoveHeldFolders();
  ReleaseOwnedFiles();
  running_ = false;
}

void SimHost::Publish() {
  std::vector<SimHidEntry> entries;
  for (size_t i = 0; i < devices_.size(); ++i) {
    HidBackend& device = *devices_[i];
    if (!device.Present()) {
      continue;
    }
    SimHidEntry entry;
    memset(&entry, 0, sizeof(entry));
    std::wstring path = ListedPath(i);
    wcsncpy(entry.path, path.c_str(), sim_hid::kMaxPath - 1);
    entry.vendorId = device.VendorId();
    entry.productId = device.ProductId();
    entry.versionNumber = kVersionNumber;
    entry.inputLength = device.InputLength();
    entry.outputLength = device.OutputLength();
    entry.flags = device.Flags();
    entries.push_back(entry);
  }
  std::lock_guard<std::mutex> lock(publishMutex_);
  if (!SameEntries(entries, published_)) {
    table_.Publish(entries.data(), static_cast<uint32_t>(entries.size()));
    published_ = std::move(entries);
  }
}

void SimHost::Watch() {
  // Presence also changes with time alone (the boot loader's delay, powering on).
  while (WaitForSingleObject(stopEvent_, kWatchMs) == WAIT_TIMEOUT) {
    FollowPowerBit();
    Publish();
  }
}

bool SimHost::StartPowerWatch() {
  if (!physical_.Open()) {
    return false;
  }
  powerBit_ = sim_->IsPowered();
  unsigned char byte = physical_.PowerByte();
  physical_.SetPowerByte(powerBit_ ? (byte | 0x01) : (byte & ~0x01));
  return true;
}

void SimHost::FollowPowerBit() {
  if (sim_ == nullptr || !physical_.IsOpen()) {
    return;
  }
  bool bit = physical_.PowerOn();
  if (bit != powerBit_) {
    powerBit_ = bit;
    sim_->SetPower(bit);
  }
}
