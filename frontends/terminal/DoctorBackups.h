// The backup folder as padwright doctor checks it.
#pragma once

#include <vector>

#include "frontends/terminal/DoctorFindings.h"
#include "platform/linux/PosixBackupFolder.h"

// The backup folder, then a note for each file in it that is not read.
std::vector<Finding> CheckBackups(PosixBackupFolder& backups);
