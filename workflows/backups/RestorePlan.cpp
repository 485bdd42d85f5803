// What a restore writes back (see RestorePlan.h).
#include "workflows/backups/RestorePlan.h"

#include <algorithm>

#include "platform/TimeText.h"
#include "workflows/backups/BackupChoice.h"
#include "workflows/backups/BackupStore.h"

namespace {

std::wstring Widen(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

bool Uses(const std::optional<BackupEntry>& source, const BackupEntry& entry) {
  return source && source->name == entry.name;
}

// The saved backups the plan takes from, newest first, with each damaged one before the
// last of them; all damaged ones when a block was looked for in vain.
void AddSavedSources(RestorePlan& plan, const std::vector<BackupEntry>& entries,
                     const BlockSources& sources, bool lookedInVain) {
  size_t end = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (Uses(sources.global, entries[i]) || Uses(sources.buttons, entries[i])) {
      end = i + 1;
    }
  }
  for (size_t i = 0; i < (lookedInVain ? entries.size() : end); ++i) {
    const BackupEntry& entry = entries[i];
    if (!entry.Sound()) {
      plan.notes.push_back(L"Skipped a damaged saved backup (" + Widen(DamageText(entry.damage)) +
                           L"): " + Widen(entry.name));
    } else if (Uses(sources.global, entry) || Uses(sources.buttons, entry)) {
      plan.notes.push_back(UsingBackupText(entry.backup));
      plan.AddBackup(entry.name);
    }
  }
}

// This run's copy of a block. Its own backup is made pending with the transfer unless it was
// set aside: then it is not the user's configuration, even where it is all there is.
template <typename Block>
void TakeRunCopy(RestorePlan& plan, std::optional<Block>& into, const HeldCopy<Block>& copy) {
  into = copy.block;
  if (!copy.setAside) {
    plan.AddBackup(copy.backupName);
  }
}

}  // namespace

void RestorePlan::AddBackup(const std::string& name) {
  if (!name.empty() && std::find(backups.begin(), backups.end(), name) == backups.end()) {
    backups.push_back(name);
  }
}

RestorePlan ChooseWriteBack(BackupFolder* folder, const RunState& run) {
  std::vector<BackupEntry> entries;
  if (!ListBackups(folder, &entries)) {
    entries.clear();  // no folder to read: this run's copies are all there is
  }
  BlockSources sources = PendingSources(entries);
  const bool globalFromRun = !sources.global && run.Global().backedUp;
  const bool buttonsFromRun = !sources.buttons && run.Buttons().backedUp;
  const bool globalFromDisk = !sources.global && !globalFromRun;
  const bool buttonsFromDisk = !sources.buttons && !buttonsFromRun;
  AddNewestSaved(entries, globalFromDisk, buttonsFromDisk, &sources);
  RestorePlan plan;
  if (globalFromRun) {
    TakeRunCopy(plan, plan.global, run.Global());
  } else if (sources.global) {
    plan.global = sources.global->backup.global;
  }
  if (buttonsFromRun) {
    TakeRunCopy(plan, plan.buttons, run.Buttons());
  } else if (sources.buttons) {
    plan.buttons = sources.buttons->backup.buttons;
  }
  AddSavedSources(plan, entries, sources,
                  (globalFromDisk && !plan.global) || (buttonsFromDisk && !plan.buttons));
  return plan;
}

RestorePlan PlanFromBackup(const std::string& name, const SavedBackup& backup) {
  RestorePlan plan;
  plan.global = backup.global;
  plan.buttons = backup.buttons;
  plan.AddBackup(name);
  plan.notes.push_back(UsingBackupText(backup));
  return plan;
}

void SayWhereFrom(SequenceView& view, const RestorePlan& plan) {
  for (const std::wstring& note : plan.notes) {
    view.SetStatus(note);
  }
}

std::wstring UsingBackupText(const SavedBackup& backup) {
  return L"Using the configuration saved on " + LocalMinuteText(backup.takenUtcMs);
}

bool MarkBackups(BackupFolder* folder, const RestorePlan& plan, BackupState state,
                 std::wstring* reason) {
  bool all = true;
  for (const std::string& name : plan.backups) {
    std::wstring why;
    if (!SetBackupState(folder, name, state, &why)) {
      if (all && reason != nullptr) {
        *reason = why;
      }
      all = false;
    }
  }
  return all;
}
