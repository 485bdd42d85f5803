// Entry of the end-to-end tests: real time on the C runtime's clock (the simulator's reply
// delays and power-on delay run on it) and a simulator id of this process's own, which the
// product started from here inherits.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win/WindowsClock.h"

int main(int argc, char** argv) {
  BindWindowsClock();
  std::wstring id = L"e2e-" + std::to_wstring(GetCurrentProcessId());
  SetEnvironmentVariableW(L"PADWRIGHT_SIM_ID", id.c_str());
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
