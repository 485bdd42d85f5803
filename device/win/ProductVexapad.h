// The controller link of the product: the protocol over the Win32 HID transport. The window's
// composition root owns the one instance, which the main window hands to the sequences.
#pragma once

#include "device/Vexapad.h"
#include "device/win/HidDevice.h"

using CVexapad = CVexapadT<CHidDevice>;
