// Test-only hid.dll: attributes and capabilities of the simulated HID devices. A device is
// recognised by the name of the pipe its handle is open on, looked up in the shared list.
#include <windows.h>

#include <cstdint>

#include "sim/win/hidstack/SimHidShared.h"
#include "sim/win/hidstack/SimHidTable.h"

extern "C" {
#include <hidsdi.h>
}

namespace {

constexpr uint32_t kPreparsedMagic = 0x50524550;  // "PREP"

// What HidD_GetPreparsedData hands out: the lengths as they were at that moment.
struct FakePreparsed {
  uint32_t magic;
  uint16_t inputLength;
  uint16_t outputLength;
  bool failCaps;
};

// The listed device that `handle` is open on.
bool IdentifyDevice(HANDLE handle, SimHidEntry* entry) {
  // FILE_NAME_INFO starts with a DWORD, then the name: the pipe's name as "\name".
  alignas(FILE_NAME_INFO) unsigned char buffer[sizeof(FILE_NAME_INFO) + 2 * sim_hid::kMaxPath];
  ZeroMemory(buffer, sizeof(buffer));
  if (!GetFileInformationByHandleEx(handle, FileNameInfo, buffer, sizeof(buffer) - 2)) {
    return false;
  }
  auto* info = reinterpret_cast<FILE_NAME_INFO*>(buffer);
  // The name is not terminated; the zeroed spare bytes at the end terminate it.
  return SharedSimHidTable().FindByPipeName(info->FileName, entry);
}

BOOLEAN Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace

extern "C" {

void NTAPI HidD_GetHidGuid(LPGUID hidGuid) {
  if (hidGuid != nullptr) {
    *hidGuid = kSimHidGuid;
  }
}

BOOLEAN NTAPI HidD_GetAttributes(HANDLE device, PHIDD_ATTRIBUTES attributes) {
  SimHidEntry entry;
  if (attributes == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (!IdentifyDevice(device, &entry) || (entry.flags & sim_hid::kFailAttributes) != 0) {
    return Fail(ERROR_DEVICE_NOT_CONNECTED);
  }
  attributes->Size = sizeof(HIDD_ATTRIBUTES);
  attributes->VendorID = entry.vendorId;
  attributes->ProductID = entry.productId;
  attributes->VersionNumber = entry.versionNumber;
  if (SimHidCounters* counters = SharedSimHidTable().Counters()) {
    InterlockedIncrement(&counters->attributeReads);
  }
  return TRUE;
}

BOOLEAN NTAPI HidD_GetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA* preparsed) {
  SimHidEntry entry;
  if (preparsed == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (!IdentifyDevice(device, &entry)) {
    return Fail(ERROR_DEVICE_NOT_CONNECTED);
  }
  auto* data = static_cast<FakePreparsed*>(
      HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(FakePreparsed)));
  if (data == nullptr) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
  data->magic = kPreparsedMagic;
  data->inputLength = entry.inputLength;
  data->outputLength = entry.outputLength;
  data->failCaps = (entry.flags & sim_hid::kFailCaps) != 0;
  if (SimHidCounters* counters = SharedSimHidTable().Counters()) {
    InterlockedIncrement(&counters->preparsedMade);
  }
  *preparsed = reinterpret_cast<PHIDP_PREPARSED_DATA>(data);
  return TRUE;
}

BOOLEAN NTAPI HidD_FreePreparsedData(PHIDP_PREPARSED_DATA preparsed) {
  auto* data = reinterpret_cast<FakePreparsed*>(preparsed);
  if (data == nullptr || data->magic != kPreparsedMagic) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  data->magic = 0;
  HeapFree(GetProcessHeap(), 0, data);
  if (SimHidCounters* counters = SharedSimHidTable().Counters()) {
    InterlockedIncrement(&counters->preparsedFreed);
  }
  return TRUE;
}

NTSTATUS NTAPI HidP_GetCaps(PHIDP_PREPARSED_DATA preparsed, PHIDP_CAPS caps) {
  auto* data = reinterpret_cast<FakePreparsed*>(preparsed);
  if (data == nullptr || data->magic != kPreparsedMagic || caps == nullptr || data->failCaps) {
    return HIDP_STATUS_INVALID_PREPARSED_DATA;
  }
  ZeroMemory(caps, sizeof(*caps));
  caps->UsagePage = 0xFF00;  // vendor-defined, as a controller's command interface is
  caps->Usage = 0x0001;
  caps->InputReportByteLength = data->inputLength;
  caps->OutputReportByteLength = data->outputLength;
  caps->NumberLinkCollectionNodes = 1;
  return HIDP_STATUS_SUCCESS;
}

}  // extern "C"
