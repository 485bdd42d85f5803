// The window's words for a controller that another program keeps from this one.
#include "frontends/window/KeptControllerText.h"

std::wstring KeptControllerText(const KeptController& kept) {
  const wchar_t* button = kept.wayBack == KeptWayBack::kRetry ? L"Retry" : L"Refresh";
  switch (kept.block) {
    case ControllerBlock::kHiddenByHidHide:
      return std::wstring(
                 L"HidHide hides the controller: allow padwright.exe in HidHide, then "
                 L"press ") +
             button;
    case ControllerBlock::kHeldByAnotherProgram:
      return std::wstring(L"Another program holds the controller: close it, then press ") + button;
    case ControllerBlock::kNone:
      break;
  }
  return std::wstring();
}
