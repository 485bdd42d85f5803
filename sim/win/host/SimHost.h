// Hosts simulated HID devices for the simulated HID stack: each device behind its own named
// pipe (PipeDevice), the list of present devices published in the shared block that the
// test-only hid.dll / setupapi.dll read (SimHidTable), and, for the controller simulator,
// its power switched by the stand-in physical memory's power bit, so that another process
// clearing and setting that bit power-cycles the controller.
//
// One host per process and simulator id (PADWRIGHT_SIM_ID) at a time. Devices are added
// before Start and must outlive the host's run. A device that goes away shows to the
// program as a broken pipe: its pending and later reads fail at once (a write already in the
// pipe has succeeded). Presence and report lengths reach the program through the shared
// list, updated after every report moved and every few milliseconds: a report length that
// changes because of a report (an injected wrong length) may not yet show to a transfer that
// starts within those milliseconds.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/ControllerSimulator.h"
#include "sim/win/hidstack/SimHidTable.h"
#include "sim/win/host/ControllerBackend.h"
#include "sim/win/host/HidBackend.h"
#include "sim/win/host/PipeDevice.h"
#include "sim/win/inpout/SharedPhysicalMemory.h"

class SimHost {
 public:
  SimHost();
  ~SimHost();
  SimHost(const SimHost&) = delete;
  SimHost& operator=(const SimHost&) = delete;

  // Adds the controller's two identities: normal mode, then the boot loader.
  void AddController(ControllerSimulator& sim);
  // The controller's normal-mode identity held by another program, or let go (see
  // HidBackend::Held); its boot loader never is. Lasts across power cycles. Published before
  // this returns.
  void SetControllerHeld(bool held);
  // Adds another device; devices are enumerated in the order they were added.
  void AddDevice(HidBackend& device);
  // Whether the power bit in the stand-in physical memory switches the controller (default
  // true). At Start the bit is set to agree with the simulator's power.
  void SetWatchPowerByte(bool watch) { watchPower_ = watch; }

  // Serves every device and publishes the present ones. False if a pipe or a shared block
  // cannot be made (nothing is left running then).
  bool Start();
  // Stops serving (open handles break), withdraws every device and joins every thread.
  void Stop();
  bool Running() const { return running_; }

  // The interface path of device `index`, in the order added (the controller counts two).
  std::wstring DevicePath(size_t index) const;
  // The path under which device `index` is listed while it is held (HidBackend::Held): a
  // folder of the same name in the temporary folder, which a device open refuses with
  // ERROR_ACCESS_DENIED (Windows and Wine alike; a pipe cannot be made to refuse so under
  // Wine). It carries the device's ids as its pipe's path does.
  std::wstring HeldPath(size_t index) const;
  // The path under which a device opened exclusively by another (HidBackend::OwnedByWindows)
  // is listed: a file of the same name in the temporary folder that the host keeps open with
  // no sharing from Start to Stop, so that a read-write open fails with
  // ERROR_SHARING_VIOLATION and one that asks for no access succeeds (Windows and Wine alike;
  // Wine refuses no such open of a pipe, and the real refusal, "access denied", cannot be
  // made under Wine for an open that still succeeds without access).
  std::wstring OwnedPath(size_t index) const;
  // The shared block: counters and the switch that makes the device list fail.
  SimHidTable& Table() { return table_; }
  // Publishes the present devices now; the host also does so every few milliseconds.
  void Publish();

 private:
  static constexpr DWORD kWatchMs = 5;

  void Watch();
  void FollowPowerBit();
  bool StartPowerWatch();
  // The path to list device `index` under now; makes the held path's folder when needed.
  std::wstring ListedPath(size_t index);
  void RemoveHeldFolders();
  bool HoldOwnedFiles();
  void ReleaseOwnedFiles();

  std::vector<HidBackend*> devices_;
  std::vector<std::unique_ptr<ControllerBackend>> ownedBackends_;
  std::vector<std::unique_ptr<PipeDevice>> pipes_;
  std::vector<HANDLE> ownedFiles_;  // the unshared opens of OwnedPath's files
  ControllerSimulator* sim_ = nullptr;
  SimHidTable table_;
  SharedPhysicalMemory physical_;
  bool watchPower_ = true;
  bool powerBit_ = true;
  bool running_ = false;
  HANDLE stopEvent_ = nullptr;
  std::thread watcher_;
  std::mutex publishMutex_;
  std::vector<SimHidEntry> published_;
};
