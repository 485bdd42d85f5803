// The names of a backup's states: the word its file says, the label a list of backups shows.
#pragma once

#include <string_view>

#include "workflows/backups/BackupFormat.h"

// "pending", "written back", ... as the state reads in the file, with "-" for a space.
const char* StateWord(BackupState state);
// The state whose word is `word`; false for a word that names none.
bool StateFromWord(std::string_view word, BackupState* state);
// The state as a list of backups shows it: "saved", "PENDING", "written back", "not written
// back", "set aside".
const char* StateLabel(BackupState state);
