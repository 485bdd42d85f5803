// One run of an update sequence for the fault cases: the sequence rig with an image whose
// first, middle and last data packets the cases name.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tests/support/SequenceRig.h"

class FaultRig : public SequenceRig {
 public:
  // 20 full data packets and one of 17 bytes: packets 0, 10 and 20 are first, middle, last.
  static constexpr size_t kImageBytes = 58 * 20 + 17;
  static constexpr uint32_t kPackets = 21;

  FaultRig() : SequenceRig(kImageBytes) {}
};
