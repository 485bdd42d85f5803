// An outcome of a sequence as the core states it. Each front end shows it in its own way: the
// window in a box with the caption and icon of its kind, the terminal with what the status
// line has not said yet.
#pragma once

#include <string>
#include <utility>

#include "workflows/KeptController.h"

// Which outcome it is.
enum class OutcomeKind {
  kSucceeded,       // what was asked went through
  kFailed,          // it failed, or was refused before anything was sent
  kControllerKept,  // refused: another program keeps the controller (`kept`), which the
                    // status line named just before
  kRestoreFailed,   // the saved configuration did not all go back: offered again
};

struct SequenceOutcome {
  OutcomeKind kind = OutcomeKind::kFailed;
  // The first paragraph, which the status line said just before (there perhaps with its
  // reason after it); empty for kControllerKept.
  std::wstring said;
  // What the status line had no room for: the next paragraph, or empty.
  std::wstring more;
  // Who keeps the controller, named last; for kControllerKept the whole outcome.
  KeptController kept;

  static SequenceOutcome Succeeded(std::wstring said) {
    SequenceOutcome outcome;
    outcome.kind = OutcomeKind::kSucceeded;
    outcome.said = std::move(said);
    return outcome;
  }
  static SequenceOutcome Failed(std::wstring said, std::wstring more = std::wstring()) {
    SequenceOutcome outcome;
    outcome.said = std::move(said);
    outcome.more = std::move(more);
    return outcome;
  }
  // Nothing was sent; once the controller is let go, a Refresh finds it again.
  static SequenceOutcome ControllerKept(ControllerBlock block) {
    SequenceOutcome outcome;
    outcome.kind = OutcomeKind::kControllerKept;
    outcome.kept = KeptController{block, KeptWayBack::kRefresh};
    return outcome;
  }
  // `keptBy`: who keeps the controller now (the restore could not open it), kNone for
  // nobody; a Retry needs it let go.
  static SequenceOutcome RestoreFailed(std::wstring said, std::wstring more,
                                       ControllerBlock keptBy) {
    SequenceOutcome outcome = Failed(std::move(said), std::move(more));
    outcome.kind = OutcomeKind::kRestoreFailed;
    outcome.kept = KeptController{keptBy, KeptWayBack::kRetry};
    return outcome;
  }
};
