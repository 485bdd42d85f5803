// The process-wide configuration backups (static storage: zero before anything runs).
#include "workflows/BackupBuffers.h"

ButtonConfig savedButtonConfig;
GlobalConfig savedGlobalConfig;
std::string savedButtonBackupName;
std::string savedGlobalBackupName;
