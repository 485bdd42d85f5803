// Entry of the tests that drive padwright.exe: real time on the C runtime's clock (the
// controller simulator hosted here runs on it) and a simulator id of this process's own,
// which every padwright.exe started from here inherits, so that parallel runs do not meet.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win/WindowsClock.h"

int main(int argc, char** argv) {
  BindWindowsClock();
  std::wstring id = L"ui-" + std::to_wstring(GetCurrentProcessId());
  SetEnvironmentVariableW(L"PADWRIGHT_SIM_ID", id.c_str());
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
