// Entry of the Windows test programs that meet the simulators: real time on the C runtime's
// clock (the simulators hosted here run on it) and a simulator id of this process's own.
#include <gtest/gtest.h>

#include "platform/win/WindowsClock.h"
#include "sim/SimClock.h"
#include "tests/win/support/SimulatorId.h"

int main(int argc, char** argv) {
  static WindowsClock clock;
  BindSimClock(&clock);
  UseOwnSimulatorId();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
