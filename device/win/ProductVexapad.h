// The controller link of the product: the protocol over the Win32 HID transport, and the one
// process-wide instance that the main window and the workflows share.
#pragma once

#include "device/Vexapad.h"
#include "device/win/HidDevice.h"

using CVexapad = CVexapadT<CHidDevice>;

// Made by static initialisation with both transports closed; closed again at exit.
extern CVexapad vexapad;
