// The setting of the tests that run whole update sequences: virtual time, the controller
// simulator behind the controller link and the power switch, the user's controller (see
// UserController.h), an image file, a recording view, the run's state, and what the runs
// left behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/ConfigBlocks.h"
#include "device/Vexapad.h"
#include "platform/FirmwareImage.h"
#include "sim/ControllerSimulator.h"
#include "sim/SimPhysicalMemory.h"
#include "sim/SimTransport.h"
#include "tests/support/ImageFile.h"
#include "tests/support/Lines.h"
#include "tests/support/MemoryBackupFolder.h"
#include "tests/support/RecordingView.h"
#include "tests/support/UserController.h"
#include "tests/support/VirtualClock.h"
#include "workflows/RunContext.h"
#include "workflows/RunState.h"

// Members are public so that tests and table rows can arrange the simulator.
class SequenceRig {
 public:
  // The controller runs firmware 3 and a complete image installs firmware 4; the image file
  // holds `imageBytes` pseudo-random bytes. `pace`: see VirtualClock. The run's copies
  // start empty, the backup folder too, and the power switch works on the simulator.
  explicit SequenceRig(size_t imageBytes = 1000, uint32_t pace = 0);
  SequenceRig(const SequenceRig&) = delete;
  SequenceRig& operator=(const SequenceRig&) = delete;

  void SetFirmwareVersions(uint8_t oldVersion, uint8_t newVersion);
  // Writes `size` pseudo-random bytes to the image file (0 leaves an empty file).
  void WriteImage(size_t size);
  std::wstring ImagePath() const { return file_.Path(); }
  std::wstring MissingPath() const { return file_.Path() + L".missing"; }

  // The tool ends and starts again: what it held in memory (the run's copies, the view's
  // calls) is gone; the backup folder and the controller stay as they are.
  void StartNewRun();

  // Saves a sound backup, a minute old, that carries the largest sequence number, so that no
  // new backup can be numbered; returns its file name.
  std::string PlantBackupAtLargestNumber();

  // Each returns the virtual milliseconds the sequence took.
  uint32_t RunUpgrade();
  uint32_t RunForcedUpgrade();
  uint32_t RunInitialize();
  // Initialize with HOME held, so that the boot loader is waiting, then HOME let go, so that
  // the power cycle after a transfer brings the controller up in normal mode. The calls and
  // the controller's record that the observations see start afresh afterwards. True when
  // the boot loader waits and Initialize said it found it.
  bool PrepareForcedUpgrade();

  // The view's calls since the start (or since PrepareForcedUpgrade), and those of one
  // kind without their first word.
  Lines Calls() const;
  Lines CallsOf(const std::wstring& kind) const;
  // Status texts without the moving progress texts, and those progress texts alone.
  Lines StepStatuses() const;
  Lines ProgressStatuses() const;
  // Requests of one command that the host sent to a device, in order.
  std::vector<CommandReport> RequestsOf(SimDevice device, CommandCode command);
  // The payloads of the global-block and button-block writes, joined in order.
  std::vector<uint8_t> GlobalWritten();
  std::vector<uint8_t> ButtonsWritten();

  ScopedVirtualClock clock;  // bound first: the simulator reads the time when built
  MemoryBackupFolder backups;
  ControllerSimulator sim;
  SimPhysicalMemory memory{sim};
  // What the sequences work with: the clock, the power switch and the folder above; no power
  // source, probe or driver-block settings unless a test sets them.
  RunContext context{.clock = *clock, .memory = &memory, .backups = &backups};
  CVexapadT<SimTransport> link{*clock, sim};
  RecordingView view;
  RunState run;  // this run's copies, as the front end would own them
  FirmwareImage image;
  GlobalConfig userGlobal = UserGlobal(3);
  ButtonConfig userButtons = UserButtons();
  GlobalConfig factoryGlobal = FactoryGlobal(4);
  ButtonConfig factoryButtons = FactoryButtons();

 private:
  ImageFile file_;
  size_t firstCall_ = 0;
};
