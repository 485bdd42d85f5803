// A controller link for the sequence checks: passes every command on to the real link and
// keeps, in order, which command ran and what it returned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct DeviceCall {
  std::string name;  // "read buttons", "read global", "upgrade", "write global", ...
  bool ok = false;
  uint8_t versionByte = 0;  // "read global": byte 0 of the block afterwards
  uint16_t mode = 0;        // "set mode": its argument
};

template <typename Link>
class RecordingDevice {
 public:
  using ProgressCallback = typename Link::ProgressCallback;

  explicit RecordingDevice(Link& link) : link_(link) {}

  bool ReadButtonConfig(uint8_t* out, uint32_t timeoutMs) {
    return Note("read buttons", link_.ReadButtonConfig(out, timeoutMs));
  }
  bool ReadGlobalConfig(uint8_t* out, uint8_t len, uint32_t timeoutMs) {
    const bool ok = Note("read global", link_.ReadGlobalConfig(out, len, timeoutMs));
    calls.back().versionByte = len > 0 ? out[0] : 0;
    return ok;
  }
  bool WriteGlobalConfig(const uint8_t* data, uint8_t len, uint32_t timeoutMs) {
    return Note("write global", link_.WriteGlobalConfig(data, len, timeoutMs));
  }
  bool WriteButtonConfig(const uint8_t* data, uint32_t timeoutMs) {
    return Note("write buttons", link_.WriteButtonConfig(data, timeoutMs));
  }
  uint32_t OpenCount() const { return link_.OpenCount(); }
  uint32_t LastOpenedMs() const { return link_.LastOpenedMs(); }
  bool SaveConfig(uint32_t timeoutMs) { return Note("save", link_.SaveConfig(timeoutMs)); }
  bool SetMode(uint16_t mode, uint32_t timeoutMs) {
    const bool ok = Note("set mode", link_.SetMode(mode, timeoutMs));
    calls.back().mode = mode;
    return ok;
  }
  bool Upgrade(unsigned char* data, size_t size, ProgressCallback progress, int timeoutMs,
               const typename Link::TransferStartCallback& transferStarts = nullptr) {
    return Note("upgrade",
                link_.Upgrade(data, size, std::move(progress), timeoutMs, transferStarts));
  }

  std::vector<DeviceCall> calls;

 private:
  bool Note(const char* name, bool ok) {
    calls.push_back(DeviceCall{name, ok});
    return ok;
  }

  Link& link_;
};
