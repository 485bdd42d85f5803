// What a restore writes back (see RestorePlan.h).
#include "workflows/RestorePlan.h"

#include <algorithm>

#include "platform/TimeText.h"
#include "workflows/BackupStore.h"

namespace {

std::wstring Widen(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

}  // namespace

void RestorePlan::AddBackup(const std::string& name) {
  if (!name.empty() && std::find(backups.begin(), backups.end(), name) == backups.end()) {
    backups.push_back(name);
  }
}

RestorePlan PlanFromThisRun(const RunState& run) {
  RestorePlan plan;
  if (run.global.backedUp) {
    plan.global = run.global.block;
    plan.AddBackup(run.global.backupName);
  }
  if (run.buttons.backedUp) {
    plan.buttons = run.buttons.block;
    plan.AddBackup(run.buttons.backupName);
  }
  return plan;
}

void AddSavedBackups(RestorePlan& plan, SequenceView& view) {
  if (plan.global && plan.buttons) {
    return;
  }
  std::vector<BackupEntry> entries;
  if (!ListBackups(&entries)) {
    return;
  }
  for (const BackupEntry& entry : entries) {
    if (plan.global && plan.buttons) {
      break;
    }
    if (!entry.Sound()) {
      view.SetStatus(L"Skipped a damaged saved backup (" + Widen(DamageText(entry.damage)) +
                     L"): " + Widen(entry.name));
      continue;
    }
    const bool global = !plan.global && entry.backup.global;
    const bool buttons = !plan.buttons && entry.backup.buttons;
    if (!global && !buttons) {
      continue;
    }
    view.SetStatus(UsingBackupText(entry.backup));
    if (global) {
      plan.global = entry.backup.global;
    }
    if (buttons) {
      plan.buttons = entry.backup.buttons;
    }
    plan.AddBackup(entry.name);
  }
}

RestorePlan PlanFromBackup(const std::string& name, const SavedBackup& backup) {
  RestorePlan plan;
  plan.global = backup.global;
  plan.buttons = backup.buttons;
  plan.AddBackup(name);
  return plan;
}

std::wstring UsingBackupText(const SavedBackup& backup) {
  return L"Using the configuration saved on " + LocalMinuteText(backup.takenUtcMs);
}

void MarkBackups(const RestorePlan& plan, BackupState state) {
  for (const std::string& name : plan.backups) {
    SetBackupState(name, state);
  }
}
