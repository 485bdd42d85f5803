// padwright doctor (see Doctor.h).
#include "frontends/terminal/Doctor.h"

#include <cstdio>
#include <vector>

#include "frontends/terminal/DoctorFindings.h"

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

int RunDoctor(CommandSetting& setting, const DoctorInputs& inputs) {
  // Another run may be talking to the controller: a request of ours would take its replies.
  const bool mayRead = inputs.lock != InstanceLock::Result::kHeldElsewhere;
  const NodeSurvey survey = SurveyNodes();
  int openError = 0;
  const Finding access = CheckNodeAccess(survey, &openError);
  const std::vector<Finding> findings = {
      CheckController(setting.link, survey, mayRead, openError),
      access,
      CheckDevMem(inputs.memory),
      CheckPower(inputs.power, inputs.ignoreBattery),
      CheckLock(inputs.lock, inputs.lockError),
      CheckBackups(setting.backups),
  };
  bool ready = true;
  for (const Finding& finding : findings) {
    char head[32];
    std::snprintf(head, sizeof(head), "%-12s %-7s  ", finding.label, Word(finding.verdict));
    setting.view.PrintLine(head + finding.text);
    ready = ready && finding.verdict != Verdict::kProblem;
  }
  // The controller must answer in normal mode: a note there (not read) is no go-ahead either.
  ready = ready && findings[0].verdict == Verdict::kOk;
  setting.view.PrintLine(ready ? "An update can run now."
                               : "An update cannot run now: see the problems above.");
  return ready ? kExitSuccess : kExitFailed;
}
