// The window's composition root: what the Windows program is made of for one run (the
// single-instance guard, the machine's parts, the run context, the controller link, the
// backup folder) and the main window's run over them.
#pragma once

// Everything the program's entry point does; the process's exit code.
int RunWindowApp();
