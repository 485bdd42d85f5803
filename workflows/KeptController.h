// The words for a controller that another program keeps from this one: who keeps it and
// what to do, ending with the button to press once that is done.
#pragma once

#include <string>

#include "device/ControllerBlock.h"

// "HidHide hides the controller: allow padwright.exe in HidHide, then press <button>", or
// "Another program holds the controller: close it, then press <button>"; empty for kNone.
// The status line and the refusals name Refresh; the box that offers a restore again names
// Retry, its own button.
std::wstring KeptControllerText(ControllerBlock block, const wchar_t* button);
