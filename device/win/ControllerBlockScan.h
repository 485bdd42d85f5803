// Looks at the present HID interfaces for a controller that is listed but refused to this
// program, and says who most likely keeps it (see device/ControllerBlock.h).
#pragma once

#include "device/ControllerBlock.h"

// kNone when the controller's command interface opens or when no interface with its ids
// that may be that interface refused the open (one opened with no access rights whose
// capabilities show other reports than 65 bytes is a keyboard or mouse collection that
// Windows holds itself, and does not count); otherwise HidHide when it is installed and the
// refusal was "access denied" (what HidHide answers), else another program. Opens nothing
// for long: one scan.
ControllerBlock ScanForControllerBlock();

// The probe of the Windows run: ScanForControllerBlock.
class HidControllerBlockProbe final : public ControllerBlockProbe {
 public:
  ControllerBlock Find() override { return ScanForControllerBlock(); }
};
