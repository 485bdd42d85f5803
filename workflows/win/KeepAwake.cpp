// CKeepAwake: holds the system awake for the calling thread.
#include "workflows/win/KeepAwake.h"

#include <windows.h>

CKeepAwake::CKeepAwake() {
  // ES_CONTINUOUS keeps the request until this thread changes it again.
  SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
}

CKeepAwake::~CKeepAwake() {
  SetThreadExecutionState(ES_CONTINUOUS);
}
