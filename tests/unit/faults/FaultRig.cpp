// What the button backup holds after a fault case (see FaultRig.h).
#include "tests/unit/faults/FaultRig.h"

#include "workflows/BackupBuffers.h"

int FaultRig::ButtonBlocksBackedUp() const {
  size_t stored = 0;
  while (stored < kButtonConfigSize && savedButtonConfig[stored] == userButtons[stored]) {
    ++stored;
  }
  stored -= stored % kButtonBlockSize;
  for (size_t i = stored; i < kButtonConfigSize; ++i) {
    if (savedButtonConfig[i] != 0) {
      return -1;
    }
  }
  return static_cast<int>(stored / kButtonBlockSize);
}
