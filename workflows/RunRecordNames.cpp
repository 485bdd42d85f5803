// The names of a run's kinds, phases, outcomes and steps in the history (see RunRecordNames.h).
#include "workflows/RunRecordNames.h"

#include <string>

namespace {

constexpr const char* kKindNames[] = {"update", "initialize", "force_update", "restore", "decline"};
constexpr const char* kPhaseNames[] = {"backup_read",     "boot_loader_wait",  "transfer",
                                       "power_cycle",     "controller_return", "restore",
                                       "version_and_mode"};
constexpr const char* kOutcomeNames[] = {"success", "failed", "cancelled"};
constexpr const char* kStepNames[] = {"",      "power_switch", "battery",      "controller_kept",
                                      "image", "backup_save",  "pending_mark", "phase"};

template <typename Enum, size_t N>
bool FromName(const char* const (&names)[N], const std::string& name, Enum* value) {
  for (size_t i = 0; i < N; ++i) {
    if (name == names[i]) {
      *value = static_cast<Enum>(i);
      return true;
    }
  }
  return false;
}

}  // namespace

const char* RunKindName(RunKind kind) {
  return kKindNames[static_cast<size_t>(kind)];
}
const char* RunPhaseName(RunPhase phase) {
  return kPhaseNames[static_cast<size_t>(phase)];
}
const char* RunOutcomeName(RunOutcome outcome) {
  return kOutcomeNames[static_cast<size_t>(outcome)];
}
const char* RunStepName(RunStep step) {
  return kStepNames[static_cast<size_t>(step)];
}
bool RunKindFromName(const std::string& name, RunKind* kind) {
  return FromName(kKindNames, name, kind);
}
bool RunPhaseFromName(const std::string& name, RunPhase* phase) {
  return FromName(kPhaseNames, name, phase);
}
bool RunOutcomeFromName(const std::string& name, RunOutcome* outcome) {
  return FromName(kOutcomeNames, name, outcome);
}
bool RunStepFromName(const std::string& name, RunStep* step) {
  return !name.empty() && name != "phase" && FromName(kStepNames, name, step);
}
