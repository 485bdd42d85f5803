// This run's copies of the configuration (see RunState.h).
#include "workflows/RunState.h"

void RunState::CopiesSaved(bool global, bool buttons, const std::string& backupName,
                           bool setAside) {
  if (global) {
    global_.backupName = backupName;
    global_.setAside = setAside;
  }
  if (buttons) {
    buttons_.backupName = backupName;
    buttons_.setAside = setAside;
  }
}
