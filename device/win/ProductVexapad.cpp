// The one process-wide controller link (see ProductVexapad.h).
#include "device/win/ProductVexapad.h"

CVexapad vexapad;
