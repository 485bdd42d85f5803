// The controller's boot loader: takes data packets (0x02) and the end packet (0x03),
// checks each packet's checksum, length and index, and keeps the image received. Not
// locked; the simulator owns and guards it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/CommandReport.h"
#include "sim/SimTypes.h"

class BootLoaderModel {
 public:
  // A fresh session, as when the boot loader starts: no image, next index 0.
  void Begin();
  // Takes one packet and fills `reply`: byte 3 echoes the command, bytes 4-5 the argument,
  // byte 6 is 0 for a packet taken cleanly and 1 for one with a violation.
  void Handle(const CommandReport& request, CommandReport* reply,
              std::vector<Violation>* violations);
  void Reserve(size_t bytes) { image_.reserve(bytes); }

  const std::vector<uint8_t>& Image() const { return image_; }
  uint32_t Packets() const { return packets_; }
  bool Ended() const { return ended_; }
  // The end packet came after at least one data packet and nothing was wrong.
  bool Complete() const { return ended_ && packets_ > 0 && clean_; }

 private:
  void TakeData(const CommandReport& request, std::vector<Violation>* violations);

  std::vector<uint8_t> image_;
  uint32_t packets_ = 0;
  uint16_t nextIndex_ = 0;
  bool ended_ = false;
  bool clean_ = true;
};
