// One of the controller simulator's USB identities behind a pipe (see ControllerBackend.h).
#include "sim/win/host/ControllerBackend.h"

#include "device/CommandReport.h"

ControllerBackend::ControllerBackend(ControllerSimulator& sim, SimDevice device)
    : sim_(sim), device_(device) {
  const bool boot = device == SimDevice::BootLoader;
  vendorId_ = boot ? kBootLoaderVid : kControllerVid;
  productId_ = boot ? kBootLoaderPid : kControllerPid;
}
