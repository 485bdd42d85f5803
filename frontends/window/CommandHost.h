// What the start handlers of Update, Force update and Initialize need from the main window.
// Every call is made on the window thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "frontends/window/MessageIcon.h"

class CommandHost {
 public:
  virtual ~CommandHost() = default;

  // Copies the path edit's text into the window's firmware path and returns that text.
  virtual std::wstring TakeFirmwarePath() = 0;
  // True when `path` names an existing file that is not a folder.
  virtual bool IsFile(const std::wstring& path) = 0;
  // A message box owned by the main window; returns once it is dismissed.
  virtual void ShowMessage(const std::wstring& text, const std::wstring& caption,
                           MessageIcon icon) = 0;
  // The window's busy mark: set while a sequence or the file selection runs.
  virtual bool IsBusy() = 0;
  virtual void SetBusy(bool busy) = 0;
  virtual void EnableControl(uint16_t id, bool enabled) = 0;
  virtual bool IsControlEnabled(uint16_t id) = 0;
  // Runs `body` on a new detached worker thread; false when no thread could be started.
  virtual bool StartWorker(std::function<void()> body) = 0;
};
