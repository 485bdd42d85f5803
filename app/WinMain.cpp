// Process entry of padwright.exe: the window's composition root does the rest.
#include <windows.h>

#include "frontends/window/WindowApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return RunWindowApp();
}
