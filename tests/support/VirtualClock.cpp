// (the virtual clock is header-only; this unit anchors the support library)
#include "tests/support/VirtualClock.h"
