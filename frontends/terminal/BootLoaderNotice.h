// What the commands say of a controller waiting in its boot loader (status, doctor), in the
// window's terms: it waits there, and the forced upgrade (recover) writes the firmware again,
// then the saved configuration that is still to go back.
#pragma once

#include <string>

#include "platform/BackupFolder.h"

// "sudo padwright recover FILE writes the firmware again", and when a saved backup is pending
// ", then the configuration saved on YYYY-MM-DD HH:MM": this user's own (typed as this run
// is, with sudo for root's, in `backups`), else, for a run without root, root's as its note
// says.
std::string RecoverFromBootLoaderText(BackupFolder& backups);
