// The setting of the sequence tests: the sequence rig as a test fixture, with the controller
// on firmware 2 (no mode to restore) and an image of 1000 bytes unless a test says otherwise.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/SequenceRig.h"

class WorkflowTest : public testing::Test, public SequenceRig {
 public:
  WorkflowTest() { SetFirmwareVersions(2, 2); }
};
