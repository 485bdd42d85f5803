// The simulator's plan of injected faults: which request of which kind gets which fault.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/SimTypes.h"

struct InjectedFault {
  Fault fault = Fault::NoReply;
  uint32_t value = 0;
};

class FaultPlan {
 public:
  // Plans `fault` for the request of kind `step` numbered `occurrence`, counted from now
  // (data packets: the packet number within the boot-loader session).
  void Add(Step step, uint32_t occurrence, Fault fault, uint32_t value);
  void Clear();
  // Counts one request of kind `step` and returns the fault planned for it, if any.
  std::optional<InjectedFault> Next(Step step);
  // Starts numbering `step` from 0 again (a new boot-loader session for data packets).
  void ResetCount(Step step);

 private:
  struct Entry {
    Step step;
    uint32_t number;
    InjectedFault fault;
  };
  std::vector<Entry> entries_;
  std::array<uint32_t, kStepCount> counts_{};
};
