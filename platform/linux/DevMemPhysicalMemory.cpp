// /dev/mem behind the physical-memory pair.
#include "platform/linux/DevMemPhysicalMemory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace {

// What Unmap needs to release a mapping: its page-aligned start and length.
struct DevMemMapping {
  void* base = nullptr;
  size_t length = 0;
};

}  // namespace

void* DevMemPhysicalMemory::Map(uint64_t physicalAddress, uint32_t length, void** handle) {
  if (handle == nullptr || length == 0) {
    return nullptr;
  }
  // O_SYNC: the mapping is uncached, so the write reaches the device register at once.
  int fd = open("/dev/mem", O_RDWR | O_SYNC | O_CLOEXEC);
  if (fd < 0) {
    lastErrno_ = errno;
    failedStep_ = FailedStep::kOpen;
    return nullptr;
  }
  const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
  const uint64_t base = physicalAddress & ~(page - 1);
  const size_t offset = static_cast<size_t>(physicalAddress - base);
  const size_t mapLength = static_cast<size_t>((offset + length + page - 1) & ~(page - 1));
  void* mapped =
      mmap(nullptr, mapLength, PROT_READ | PROT_WRITE, MAP_SHARED, fd, static_cast<off_t>(base));
  const int mapErrno = errno;
  close(fd);  // the mapping keeps what it needs of the file
  if (mapped == MAP_FAILED) {
    lastErrno_ = mapErrno;
    failedStep_ = FailedStep::kMap;
    return nullptr;
  }
  auto* record = new (std::nothrow) DevMemMapping{mapped, mapLength};
  if (record == nullptr) {
    munmap(mapped, mapLength);
    lastErrno_ = ENOMEM;  // said as this failure's, not an earlier one's
    failedStep_ = FailedStep::kMap;
    return nullptr;
  }
  *handle = record;
  failedStep_ = FailedStep::kNone;
  return static_cast<unsigned char*>(mapped) + offset;
}

void DevMemPhysicalMemory::Unmap(void* handle, void* mapped) {
  auto* record = static_cast<DevMemMapping*>(handle);
  if (record == nullptr) {
    return;
  }
  munmap(record->base, record->length);
  delete record;
}
