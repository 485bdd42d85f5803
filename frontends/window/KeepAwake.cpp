// CKeepAwake: holds the system awake for the calling thread.
#include "frontends/window/KeepAwake.h"

#include <windows.h>

CKeepAwake::CKeepAwake() {
  // ES_CONTINUOUS keeps the request until this thread changes it again. The display too: on
  // a handheld with modern standby a screen that times out can take the whole system into
  // standby, whatever ES_SYSTEM_REQUIRED asks.
  SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
}

CKeepAwake::~CKeepAwake() {
  SetThreadExecutionState(ES_CONTINUOUS);
}
