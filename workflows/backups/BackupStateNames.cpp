// The names of a backup's states (see BackupStateNames.h).
#include "workflows/backups/BackupStateNames.h"

namespace {

// Each state as the file says it and as a list of backups shows it (a pending one stands out).
struct StateNames {
  BackupState state;
  const char* word;
  const char* label;
};

constexpr StateNames kStateNames[] = {
    {BackupState::kSaved, "saved", "saved"},
    {BackupState::kPending, "pending", "PENDING"},
    {BackupState::kWrittenBack, "written-back", "written back"},
    {BackupState::kDeclined, "declined", "not written back"},
    {BackupState::kSetAside, "set-aside", "set aside"},
};

const StateNames& NamesOf(BackupState state) {
  for (const StateNames& names : kStateNames) {
    if (names.state == state) {
      return names;
    }
  }
  return kStateNames[0];
}

}  // namespace

const char* StateWord(BackupState state) {
  return NamesOf(state).word;
}

const char* StateLabel(BackupState state) {
  return NamesOf(state).label;
}

bool StateFromWord(std::string_view word, BackupState* state) {
  for (const StateNames& names : kStateNames) {
    if (word == names.word) {
      *state = names.state;
      return true;
    }
  }
  return false;
}
