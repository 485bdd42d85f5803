// A controller link wired to the controller simulator in virtual time: the usual setting
// of the native tests.
#pragma once

#include <cstdint>
#include <vector>

#include "device/Vexapad.h"
#include "sim/ControllerSimulator.h"
#include "sim/SimTransport.h"
#include "tests/support/VirtualClock.h"

struct SimRig {
  ScopedVirtualClock clock;  // bound first: the simulator reads the time when built
  ControllerSimulator sim;
  CVexapadT<SimTransport> pad{sim};

  uint32_t Now() { return clock->NowMs(); }
};

// An image of `size` bytes whose bytes are not all alike.
inline std::vector<uint8_t> PatternImage(size_t size) {
  std::vector<uint8_t> image(size);
  for (size_t i = 0; i < size; ++i) {
    image[i] = static_cast<uint8_t>(i * 7 + 3);
  }
  return image;
}
