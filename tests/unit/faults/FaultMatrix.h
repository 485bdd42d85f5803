// The fault matrix: every device step of each update sequence against every fault that the
// controller can show there, with what the user must see and what the controller must have
// received. One list serves both the fault tests and docs/FAULTS.md, which is made from it.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tests/unit/faults/FaultRig.h"

enum class Sequence { kUpgrade, kForcedUpgrade, kInitialize };

enum class DeviceStep {
  kButtonBackup,  // block 16 of the button table
  kGlobalBackup,
  kEnterPacket,  // the request that restarts the controller into its boot loader
  kBootLoaderWait,
  kFirstPacket,   // data packet 0
  kMiddlePacket,  // data packet 10
  kLastPacket,    // data packet 20, the short one
  kEndPacket,
  kGlobalRestore,
  kButtonRestore,  // block 16 of the button table
  kVersionRead,
  kSave,
  kMode,
  kPowerCycle,  // the switch worked for the check before the sequence, then stops
  kPowerCheck,  // the check of the power switch before anything is sent
};

enum class Injected {
  kNoReply,            // the request is taken and never answered
  kLateReply,          // the answer comes 10.5 s later, after the 10 s time-out
  kShortReply,         // the answer carries 32 of its 65 bytes
  kWrongReportLength,  // from this request on the device reports 64-byte reports
  kDeviceGone,         // the device vanishes as the request arrives (until a power cycle)
  kNeverAppears,       // the boot loader never shows up
  kAppearsLate,        // the boot loader shows up 10.5 s after the restart request
  kSwitchUnavailable,  // the physical-memory library cannot map the power byte
};

enum class Ending {
  kSuccess,           // "Upgrade success"
  kWarned,            // "Upgrade success", with the warning that the restore failed
  kFailure,           // "Upgrade failed!"
  kRefused,           // "Power switch unavailable!": nothing was sent
  kForceUpdateReady,  // Initialize saw the boot loader
  kWaitTimedOut,      // Initialize never saw it
};

// What went back to the controller in full and was acknowledged.
struct Restored {
  bool global = false;
  bool buttons = false;
  bool mode = false;
};

struct Expectation {
  Lines statuses;  // every status text but the progress ones
  Ending ending = Ending::kFailure;
  std::string requests;  // commands the controller and boot loader took, e.g. "06x33 08"
  Restored restored;
  bool buttonsBackedUp = true;  // the button backup holds the user's table
  bool globalBackedUp = true;   // the global backup holds the user's block
  uint32_t extraWaitMs = 0;     // at most this much longer than the same run without fault
};

struct FaultCase {
  Sequence sequence;
  DeviceStep step;
  Injected fault;
  Expectation expect;
};

// Test output names a case rather than dumping its bytes.
void PrintTo(const FaultCase& fault, std::ostream* out);

// Every case, in the order of the sequences and their steps.
const std::vector<FaultCase>& FaultCases();
// What each sequence shows and sends when nothing goes wrong.
Expectation FaultFree(Sequence sequence);

// Sets the fault of `fault` up in the rig (before the sequence runs).
void InjectFault(FaultRig& rig, const FaultCase& fault);
// The host's requests in the controller's record, as run-length codes ("06x33 08 01").
std::string RequestCodes(const std::vector<TranscriptEntry>& transcript);

std::string SequenceName(Sequence sequence);
std::string StepName(DeviceStep step);
std::string FaultName(Injected fault);
// A name usable as a test name: letters and digits joined by underscores.
std::string CaseId(const FaultCase& fault);

// The document docs/FAULTS.md as the list says it.
std::string FaultsMarkdown();
