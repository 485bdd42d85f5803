// The simulator id of a test process: its simulated devices and shared blocks are its own.
#pragma once

// Names this process's simulated devices and shared blocks (PADWRIGHT_SIM_ID) after it, so
// that test programs running side by side never meet; programs it starts inherit the name.
void UseOwnSimulatorId();
