// The simulator id of a test process (see SimulatorId.h).
#include "tests/win/support/SimulatorId.h"

#include <windows.h>

#include <string>

void UseOwnSimulatorId() {
  const std::wstring id = L"t" + std::to_wstring(GetCurrentProcessId());
  SetEnvironmentVariableW(L"PADWRIGHT_SIM_ID", id.c_str());
}
