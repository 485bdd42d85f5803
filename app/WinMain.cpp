// Process entry (provisional: shows the main window's caption until the dialog exists).
#include <windows.h>

#include "platform/win/WindowsClock.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  BindWindowsClock();
  MessageBoxW(nullptr, L"Padwright", L"Padwright (20250522)", MB_OK);
  return 0;
}
