// The window's words for a controller that another program keeps from this one: who keeps it
// and what to do, ending with the button to press once that is done.
#pragma once

#include <string>

#include "workflows/KeptController.h"

// "HidHide hides the controller: allow padwright.exe in HidHide, then press <button>", or
// "Another program holds the controller: close it, then press <button>"; empty for kNone.
// The button is Refresh, or Retry in the box that offers a restore again.
std::wstring KeptControllerText(const KeptController& kept);
