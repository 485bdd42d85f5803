// One run of the shipped padwright.exe against the controller simulator: a folder with the
// exe, the stand-in physical-memory library and a generated firmware image; the simulator
// hosted behind the simulated HID stack; the product started as a child process; and the
// driver's means of pressing its buttons, reading its texts and answering its boxes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sim/ControllerSimulator.h"
#include "sim/win/host/SimHost.h"

class ProductSession {
 public:
  // `imageBytes` of generated firmware go into "firmware.vxf" beside the exe, in `folder`
  // (kept afterwards), or in a fresh temporary folder (removed afterwards) when it is empty.
  ProductSession(ControllerSimulator& sim, size_t imageBytes, const std::wstring& folder = L"");
  // Closes the product (ending it if it does not close) and stops the host.
  ~ProductSession();
  ProductSession(const ProductSession&) = delete;
  ProductSession& operator=(const ProductSession&) = delete;

  // Starts the host and the product; true once the main window shows.
  bool Start();
  HWND Window() const { return window_; }
  HWND Item(int id) const { return GetDlgItem(window_, id); }
  std::wstring Text(int id) const;
  void SetText(int id, const std::wstring& text);
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  // Presses a button the way a click does.
  void Click(int id);
  // Waits until the control's text is `text`; false after `timeoutMs`.
  bool WaitForText(int id, const std::wstring& text, DWORD timeoutMs);
  // Waits for a message box owned by the main window; null after `timeoutMs`.
  HWND WaitForBox(DWORD timeoutMs);
  // Presses the box's OK button and waits until it has gone.
  bool Dismiss(HWND box);
  // Progress bar position (0 to 1000).
  int ProgressPosition() const;
  // Saves a PNG of the main window's area (with whatever lies over it) as `name`.
  // Saves the window's area as a PNG once it has painted; `overlay` (a box over it) is
  // made to finish painting first.
  void Screenshot(const std::wstring& name, HWND overlay = nullptr) const;
  // Closes the main window; the product's exit code, or -1 when it did not end in time.
  int Close();
  // Waits until the product ends by itself (the user closed it); its exit code.
  int WaitForExit();

  const std::vector<uint8_t>& Image() const { return image_; }
  std::wstring ImagePath() const { return folder_ + L"\\firmware.vxf"; }

 private:
  bool PrepareFolder(size_t imageBytes, const std::wstring& folder);

  ControllerSimulator& sim_;
  SimHost host_;
  std::wstring folder_;
  bool temporary_ = true;
  std::vector<uint8_t> image_;
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

// The main window's caption.
inline constexpr wchar_t kMainCaption[] = L"Padwright (20250522)";
