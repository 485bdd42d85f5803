// Setting a case's fault up in the simulator, and reading back which requests it took.
#include <cstdio>

#include "tests/unit/faults/FaultMatrix.h"

namespace {

// The request of a step at which a fault is injected: its kind and number in its run.
void RequestOf(const FaultCase& fault, Step* step, uint32_t* occurrence) {
  *occurrence = 0;
  switch (fault.step) {
    case DeviceStep::kButtonBackup:
      *step = Step::ButtonRead;
      *occurrence = 16;
      return;
    case DeviceStep::kGlobalBackup:
      *step = Step::GlobalRead;
      return;
    case DeviceStep::kEnterPacket:
      *step = Step::Enter;
      return;
    case DeviceStep::kFirstPacket:
    case DeviceStep::kMiddlePacket:
    case DeviceStep::kLastPacket:
      *step = Step::DataPacket;
      *occurrence = fault.step == DeviceStep::kFirstPacket    ? 0
                    : fault.step == DeviceStep::kMiddlePacket ? 10
                                                              : FaultRig::kPackets - 1;
      return;
    case DeviceStep::kEndPacket:
      *step = Step::EndPacket;
      return;
    case DeviceStep::kGlobalRestore:
      *step = Step::GlobalWrite;
      return;
    case DeviceStep::kButtonRestore:
      *step = Step::ButtonWrite;
      *occurrence = 16;
      return;
    case DeviceStep::kVersionRead:
      // The normal upgrade's first read of the global block is its backup.
      *step = Step::GlobalRead;
      *occurrence = fault.sequence == Sequence::kUpgrade ? 1 : 0;
      return;
    case DeviceStep::kSave:
      *step = Step::Save;
      return;
    case DeviceStep::kMode:
      *step = Step::SetMode;
      return;
    case DeviceStep::kBootLoaderWait:
    case DeviceStep::kPowerCycle:
    case DeviceStep::kPowerCheck:
      return;  // no request of their own: their faults are set up apart
  }
}

std::string Hex(uint8_t value) {
  char text[3];
  std::snprintf(text, sizeof(text), "%02X", value);
  return text;
}

}  // namespace

void InjectFault(FaultRig& rig, const FaultCase& fault) {
  switch (fault.fault) {
    case Injected::kNeverAppears:
      if (fault.sequence == Sequence::kInitialize) {
        rig.sim.SetHomeHeld(false);  // the controller comes back in normal mode
      } else {
        rig.sim.Inject(Step::Enter, 0, Fault::NoBootLoader);
      }
      return;
    case Injected::kAppearsLate:
      rig.sim.SetBootDelayMs(10500);
      return;
    case Injected::kSwitchUnavailable:
      if (fault.step == DeviceStep::kPowerCheck) {
        rig.memory.SetUnavailable(true);
      } else {
        rig.memory.SetUnavailableAfter(1);  // the check's own mapping still works
      }
      return;
    default:
      break;
  }
  static const Fault kSimFault[] = {Fault::NoReply, Fault::LateReply, Fault::ShortReply,
                                    Fault::WrongReportLength, Fault::DeviceGone};
  static const uint32_t kValue[] = {0, 10500, 32, 64, 0};
  const size_t kind = static_cast<size_t>(fault.fault);
  Step step = Step::Save;
  uint32_t occurrence = 0;
  RequestOf(fault, &step, &occurrence);
  rig.sim.Inject(step, occurrence, kSimFault[kind], kValue[kind]);
}

std::string RequestCodes(const std::vector<TranscriptEntry>& transcript) {
  std::vector<uint8_t> codes;
  for (const TranscriptEntry& entry : transcript) {
    if (entry.direction == Direction::HostToDevice) {
      codes.push_back(entry.Report().Command());
    }
  }
  std::string text;
  size_t i = 0;
  while (i < codes.size()) {
    size_t run = 1;
    while (i + run < codes.size() && codes[i + run] == codes[i]) {
      ++run;
    }
    text += (text.empty() ? "" : " ") + Hex(codes[i]);
    if (run > 1) {
      text += "x" + std::to_string(run);
    }
    i += run;
  }
  return text;
}
