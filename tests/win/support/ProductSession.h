// One run of the shipped padwright.exe against the controller simulator: a folder with the
// exe, the stand-in physical-memory library and a generated firmware image; the simulator
// hosted behind the simulated HID stack; and the product started as a child process, driven
// through its window (see AppProcess).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/ControllerSimulator.h"
#include "sim/win/host/SimHost.h"
#include "tests/win/support/AppProcess.h"
#include "tests/win/support/TestFolder.h"

class ProductSession : public AppProcess {
 public:
  // `imageBytes` of generated firmware go into "firmware.vxf" beside the exe, in `folder`
  // (kept afterwards), or in a fresh temporary folder (removed afterwards) when it is empty.
  // The product's saved backups are forgotten first, unless `keepSavedBackups` (a later run
  // of the same test).
  ProductSession(ControllerSimulator& sim, size_t imageBytes, const std::wstring& folder = L"",
                 bool keepSavedBackups = false);
  // Closes the product (ending it if it does not close) and stops the host.
  ~ProductSession();

  // Starts the host and the product; true once the main window shows.
  bool Start();

  // The host of the simulated devices: a test may have another program hold the controller.
  SimHost& Host() { return host_; }
  const std::vector<uint8_t>& Image() const { return image_; }
  std::wstring ImagePath() const { return folder_ + L"\\firmware.vxf"; }

 private:
  SimHost host_;
  std::unique_ptr<TestFolder> temporary_;
  std::wstring folder_;
  std::vector<uint8_t> image_;
  bool prepared_ = false;
};
