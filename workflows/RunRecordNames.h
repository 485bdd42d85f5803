// The names of a run's kinds, phases, outcomes and steps as the history writes and reads them
// ("update", "backup_read", ...).
#pragma once

#include <string>

#include "workflows/RunRecord.h"

const char* RunKindName(RunKind kind);
const char* RunPhaseName(RunPhase phase);
const char* RunOutcomeName(RunOutcome outcome);
const char* RunStepName(RunStep step);  // for kPhase, the phase's name is used instead
bool RunKindFromName(const std::string& name, RunKind* kind);
bool RunPhaseFromName(const std::string& name, RunPhase* phase);
bool RunOutcomeFromName(const std::string& name, RunOutcome* outcome);
bool RunStepFromName(const std::string& name, RunStep* step);
