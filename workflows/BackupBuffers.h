// The process-wide copies of the controller's configuration that an upgrade or Initialize
// backs up and a later restore writes back. Zero at start; they keep what the last backup
// read for as long as the process runs.
#pragma once

#include "device/ConfigBlocks.h"

extern ButtonConfig savedButtonConfig;
extern GlobalConfig savedGlobalConfig;
