// What keeps the controller from this program while it is there: another program that hides
// it from everyone it has not been told to allow, or one that holds it for itself. Where a
// platform can tell, its run has a probe; the sequences ask it before they send anything and
// when a restore could not open the controller.
#pragma once

enum class ControllerBlock {
  kNone,                  // nothing seen: the controller opens, or it is not listed at all
  kHiddenByHidHide,       // listed, refused, and HidHide is installed
  kHeldByAnotherProgram,  // listed, refused, without HidHide
};

class ControllerBlockProbe {
 public:
  virtual ~ControllerBlockProbe() = default;
  // Looks now; a scan of the present devices, no longer.
  virtual ControllerBlock Find() = 0;
};

// What `probe` finds now; kNone without one (a platform that cannot tell).
ControllerBlock FindControllerBlock(ControllerBlockProbe* probe);
