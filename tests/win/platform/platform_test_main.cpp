// Entry of the Windows platform tests: the product's clock and, for the power-switch tests,
// a shared block of this run's own.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/win/WindowsClock.h"

int main(int argc, char** argv) {
  BindWindowsClock();
  // The stand-in library names its block after this variable: parallel runs stay apart.
  std::wstring id = L"platform-tests-" + std::to_wstring(GetCurrentProcessId());
  SetEnvironmentVariableW(L"PADWRIGHT_SIM_ID", id.c_str());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
