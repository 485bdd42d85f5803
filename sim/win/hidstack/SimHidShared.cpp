// The process's reader of the shared device list (see SimHidShared.h).
#include "sim/win/hidstack/SimHidShared.h"

SimHidTable& SharedSimHidTable() {
  static SimHidTable table;
  static SRWLOCK lock = SRWLOCK_INIT;
  AcquireSRWLockExclusive(&lock);
  if (!table.IsOpen()) {
    table.Open(false);
  }
  ReleaseSRWLockExclusive(&lock);
  return table;
}
