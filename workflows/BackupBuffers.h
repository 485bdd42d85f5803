// The process-wide copies of the controller's configuration that an upgrade or Initialize
// backs up and a later restore writes back. Zero at start; they keep what the last backup
// read for as long as the process runs. Beside each, the name of the saved backup that
// keeps the same copy on disk (empty when it could not be saved, or before any backup).
#pragma once

#include <string>

#include "device/ConfigBlocks.h"

extern ButtonConfig savedButtonConfig;
extern GlobalConfig savedGlobalConfig;
extern std::string savedButtonBackupName;
extern std::string savedGlobalBackupName;
