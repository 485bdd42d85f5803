// A controller link wired to the controller simulator in virtual time: the usual setting
// of the native tests.
#pragma once

#include <cstdint>

#include "device/Vexapad.h"
#include "sim/ControllerSimulator.h"
#include "sim/SimTransport.h"
#include "tests/support/TestImages.h"
#include "tests/support/VirtualClock.h"

struct SimRig {
  ScopedVirtualClock clock;  // bound first: the simulator reads the time when built
  ControllerSimulator sim;
  CVexapadT<SimTransport> pad{*clock, sim};

  uint32_t Now() { return clock->NowMs(); }
  // Switches the controller off and on, then lets `waitMs` pass (its power-on delay is 500 ms
  // unless set otherwise).
  void PowerCycle(uint32_t waitMs) {
    sim.SetPower(false);
    sim.SetPower(true);
    clock->Advance(waitMs);
  }
};
