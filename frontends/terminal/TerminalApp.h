// The terminal's composition root: the standard streams made safe, the signals guarded, the
// arguments parsed (help and version answered), then the machine of the run (LinuxPlatform)
// made and the command run on it.
#pragma once

// Everything the padwright command does; the process's exit status.
int RunTerminalApp(int argc, char** argv);
