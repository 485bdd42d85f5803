// The diagnosis after a failed upgrade (see FailureDiagnosis.h).
#include "frontends/terminal/FailureDiagnosis.h"

#include "device/CommandReport.h"
#include "device/linux/HidrawDevice.h"

bool BootLoaderPresent() {
  CHidrawDevice scanner;
  return scanner.IsPresent(kBootLoaderVid, kBootLoaderPid);
}

FailedUpgrade DiagnoseFailedUpgrade(const CommandLink& link) {
  const CommandLink::Reached reached = link.UpgradeReached();
  if (reached == CommandLink::Reached::kTransferBegan) {
    return FailedUpgrade::kTransferCut;
  }
  if (BootLoaderPresent()) {
    return FailedUpgrade::kBootLoaderWaiting;
  }
  CHidrawDevice scanner;
  if (!scanner.IsPresent(kControllerVid, kControllerPid)) {
    return FailedUpgrade::kNoController;
  }
  return reached == CommandLink::Reached::kRestartAsked ? FailedUpgrade::kNoRestart
                                                        : FailedUpgrade::kNotAnswering;
}
