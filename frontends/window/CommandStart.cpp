// The start handlers of the three update commands.
#include "frontends/window/CommandStart.h"

#include <utility>

#include "frontends/window/resource.h"

namespace {

// A worker that could not be started leaves the window as if nothing had been pressed.
void ReportStartFailure(CommandHost& host) {
  host.SetBusy(false);
  host.ShowMessage(L"Upgrade failed!", L"error", MessageIcon::kError);
}

}  // namespace

void StartUpgradeCommand(CommandHost& host, uint16_t id,
                         std::function<void(const std::wstring& path)> sequence) {
  std::wstring path = host.TakeFirmwarePath();
  if (!host.IsFile(path)) {
    host.ShowMessage(L"Invalid file path", L"error", MessageIcon::kError);
    return;
  }
  if (host.IsBusy()) {
    return;
  }
  host.SetBusy(true);
  // The worker gets its own copy: the edit may be read into the window's path again at any
  // time while the worker runs.
  bool started = host.StartWorker(
      [sequence = std::move(sequence), path = std::move(path)] { sequence(path); });
  if (!started) {
    ReportStartFailure(host);
  }
}

void StartInitializeCommand(CommandHost& host, std::function<void()> sequence) {
  if (host.IsBusy()) {
    return;
  }
  bool initializeWas = host.IsControlEnabled(IDC_INITIALIZE);
  bool forceUpdateWas = host.IsControlEnabled(IDC_FORCE_UPDATE);
  host.EnableControl(IDC_INITIALIZE, false);
  host.EnableControl(IDC_FORCE_UPDATE, false);
  host.SetBusy(true);
  if (!host.StartWorker(std::move(sequence))) {
    host.EnableControl(IDC_INITIALIZE, initializeWas);
    host.EnableControl(IDC_FORCE_UPDATE, forceUpdateWas);
    ReportStartFailure(host);
  }
}
