// The controller link of the Linux command: the protocol over the hidraw transport.
#pragma once

#include "device/Vexapad.h"
#include "device/linux/HidrawDevice.h"

using CVexapad = CVexapadT<CHidrawDevice>;
