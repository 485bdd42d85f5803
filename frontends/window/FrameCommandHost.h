// The main window as the start handlers of the update commands see it, on the window thread.
#pragma once

#include <functional>
#include <string>

#include "frontends/window/CommandHost.h"
#include "frontends/window/MainWindow.h"

class CFrameCommandHost final : public CommandHost {
 public:
  // `upgrade`: the command starts a normal or forced upgrade (or a restore), whose busy mark
  // also keeps the window from closing until its end.
  CFrameCommandHost(MainWindow& frame, bool upgrade) : frame_(frame), upgrade_(upgrade) {}

  std::wstring TakeFirmwarePath() override;
  bool IsFile(const std::wstring& path) override;
  void ShowMessage(const std::wstring& text, const std::wstring& caption,
                   MessageIcon icon) override;
  bool IsBusy() override;
  void SetBusy(bool busy) override;
  void EnableControl(uint16_t id, bool enabled) override;
  bool IsControlEnabled(uint16_t id) override;
  bool StartWorker(std::function<void()> body) override;

 private:
  MainWindow& frame_;
  bool upgrade_;
};
