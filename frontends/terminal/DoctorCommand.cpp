// padwright doctor: checks what an update needs and says, one line each, that it is fine or
// what is wrong and how to put it right: the controller and the interface chosen, access to
// its nodes (and the node used), other programs that have it open, /dev/mem, the machine's
// power, the lock and the backup folder. It reads the
// controller's global block at most; nothing that changes the controller is sent. 0 when an
// update could run now, 1 otherwise.
#include <cstdio>
#include <utility>
#include <vector>

#include "frontends/terminal/CommandTable.h"
#include "frontends/terminal/DoctorBackups.h"
#include "frontends/terminal/DoctorFindings.h"
#include "frontends/terminal/InstanceLock.h"

namespace {

const char* Word(Verdict verdict) {
  switch (verdict) {
    case Verdict::kOk:
      return "OK";
    case Verdict::kProblem:
      return "PROBLEM";
    case Verdict::kNote:
      return "NOTE";
  }
  return "";
}

}  // namespace

int RunDoctor(CommandContext& context) {
  // Held for the checks, as an update would hold it, and said what it found.
  InstanceLock lock;
  const InstanceLock::Result locked = lock.Acquire();
  // Another run may be talking to the controller: a request of ours would take its replies.
  const bool mayRead = locked != InstanceLock::Result::kHeldElsewhere;
  const NodeSurvey survey = SurveyNodes();
  int openError = 0;
  const Finding access = CheckNodeAccess(survey, &openError);
  std::vector<Finding> findings = {
      mayRead ? CheckController(context.link, context.backups, survey, openError)
              : ControllerInOtherRun(survey, lock.Holder()),
      access};
  for (Finding& sharing : CheckSharing()) {
    findings.push_back(std::move(sharing));
  }
  for (Finding other :
       {CheckDevMem(context.memory), CheckPower(context.power, context.ignoreBattery),
        CheckLock(lock, locked)}) {
    findings.push_back(std::move(other));
  }
  for (Finding& backups : CheckBackups(context.backups)) {
    findings.push_back(std::move(backups));
  }
  bool ready = true;
  for (const Finding& finding : findings) {
    char head[32];
    std::snprintf(head, sizeof(head), "%-12s %-7s  ", finding.label, Word(finding.verdict));
    context.view.PrintLine(head + finding.text);
    ready = ready && finding.verdict != Verdict::kProblem;
  }
  // The controller must answer in normal mode: a note there (not read) is no go-ahead either.
  ready = ready && findings[0].verdict == Verdict::kOk;
  context.view.PrintLine(ready ? "An update can run now."
                               : "An update cannot run now: see the problems above.");
  return ready ? kExitSuccess : kExitFailed;
}
