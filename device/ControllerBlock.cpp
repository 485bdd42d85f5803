// Asking a probe, when the platform has one, for a controller kept from this program.
#include "device/ControllerBlock.h"

ControllerBlock FindControllerBlock(ControllerBlockProbe* probe) {
  return probe != nullptr ? probe->Find() : ControllerBlock::kNone;
}
