// Holding the system and the display awake while a sequence runs, and letting them sleep
// again afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include "frontends/window/KeepAwake.h"

namespace {

// The thread's execution state as it is now (reading it sets the same state back).
EXECUTION_STATE CurrentState() {
  EXECUTION_STATE state = SetThreadExecutionState(ES_CONTINUOUS);
  SetThreadExecutionState(state | ES_CONTINUOUS);
  return state;
}

}  // namespace

TEST(KeepAwake, RequiresTheSystemWhileHeldAndReleasesItAfterwards) {
  SetThreadExecutionState(ES_CONTINUOUS);
  {
    CKeepAwake awake;
    EXECUTION_STATE held = CurrentState();
    EXPECT_TRUE(held & ES_CONTINUOUS);
    EXPECT_TRUE(held & ES_SYSTEM_REQUIRED);
    // With modern standby a screen that times out can take the system into standby.
    EXPECT_TRUE(held & ES_DISPLAY_REQUIRED);
  }
  EXECUTION_STATE released = CurrentState();
  EXPECT_TRUE(released & ES_CONTINUOUS);
  EXPECT_FALSE(released & ES_SYSTEM_REQUIRED);
  EXPECT_FALSE(released & ES_DISPLAY_REQUIRED);
}
