// The padwright command: updates the controller's firmware from a Linux shell. The terminal's
// composition root (frontends/terminal/TerminalApp.h) does the rest.
#include "frontends/terminal/TerminalApp.h"

int main(int argc, char** argv) {
  return RunTerminalApp(argc, argv);
}
