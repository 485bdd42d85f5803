// Binding of the process-wide probe for a controller kept from this program.
#include "device/ControllerBlock.h"

#include "platform/ProcessBinding.h"

namespace {

constinit ProcessBinding<ControllerBlockProbe> boundProbe;

}  // namespace

void BindControllerBlockProbe(ControllerBlockProbe* probe) {
  boundProbe.Bind(probe);
}

ControllerBlock FindControllerBlock() {
  ControllerBlockProbe* probe = boundProbe.Get();
  return probe != nullptr ? probe->Find() : ControllerBlock::kNone;
}
