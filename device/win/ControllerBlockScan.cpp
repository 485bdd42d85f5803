// The controller listed but refused (see ControllerBlockScan.h).
#include "device/win/ControllerBlockScan.h"

#include <windows.h>

#include "device/CommandReport.h"
#include "device/HidTransport.h"
#include "device/win/HidHide.h"
#include "device/win/HidScan.h"

ControllerBlock ScanForControllerBlock() {
  const HidScanResult scan =
      ScanHidDevices(kControllerVid, kControllerPid, nullptr, false, kCommandReportLength);
  if (!scan.listed || scan.matched) {
    return ControllerBlock::kNone;
  }
  switch (scan.refusedError) {
    case ERROR_ACCESS_DENIED:
      return HidHideInstalled() ? ControllerBlock::kHiddenByHidHide
                                : ControllerBlock::kHeldByAnotherProgram;
    case ERROR_SHARING_VIOLATION:
      // Opened by another program that shares it with no one.
      return ControllerBlock::kHeldByAnotherProgram;
    default:
      // Not there after all (gone between the listing and the open), or a fault of its own:
      // nobody to name.
      return ControllerBlock::kNone;
  }
}
