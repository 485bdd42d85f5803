// What keeps the controller from this program while it is there: another program that hides
// it from everyone it has not been told to allow, or one that holds it for itself.
#pragma once

enum class ControllerBlock {
  kNone,                  // nothing seen: the controller opens, or it is not listed at all
  kHiddenByHidHide,       // listed, refused, and HidHide is installed
  kHeldByAnotherProgram,  // listed, refused, without HidHide
};
