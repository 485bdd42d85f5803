// Test-only setupapi.dll: the device-interface calls of a HID scan, answered from the shared
// list of simulated devices. Checks its callers' size fields as Windows does.
#define _SETUPAPI_  // we define these functions rather than import them
#include <windows.h>
#include <setupapi.h>

#include <cstddef>
#include <cwchar>

#include "sim/win/hidstack/SimHidShared.h"
#include "sim/win/hidstack/SimHidTable.h"

namespace {

constexpr uint32_t kListMagic = 0x5453494C;  // "LIST"

// A device information list: the devices present when it was made.
struct FakeDeviceList {
  uint32_t magic;
  uint32_t count;
  SimHidEntry entries[sim_hid::kMaxDevices];
};

FakeDeviceList* ListOf(HDEVINFO handle) {
  auto* list = static_cast<FakeDeviceList*>(handle);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || list->magic != kListMagic) {
    return nullptr;
  }
  return list;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// The entry behind an interface record handed out by SetupDiEnumDeviceInterfaces.
const SimHidEntry* EntryOf(FakeDeviceList* list, const SP_DEVICE_INTERFACE_DATA* data) {
  if (data == nullptr || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) || data->Reserved == 0 ||
      data->Reserved > list->count) {
    return nullptr;
  }
  return &list->entries[data->Reserved - 1];
}

}  // namespace

extern "C" {

HDEVINFO WINAPI SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent,
                                     DWORD flags) {
  SimHidTable& table = SharedSimHidTable();
  if (table.ListFails()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  auto* list = static_cast<FakeDeviceList*>(
      HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(FakeDeviceList)));
  if (list == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
  list->magic = kListMagic;
  // Only HID interfaces exist here; any other class has none.
  if (classGuid != nullptr && IsEqualGUID(*classGuid, kSimHidGuid) &&
      (flags & DIGCF_DEVICEINTERFACE) != 0) {
    list->count = table.Snapshot(list->entries, sim_hid::kMaxDevices);
  }
  if (SimHidCounters* counters = table.Counters()) {
    InterlockedIncrement(&counters->listsCreated);
  }
  return list;
}

BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO handle, PSP_DEVINFO_DATA deviceInfo,
                                        const GUID* interfaceGuid, DWORD index,
                                        PSP_DEVICE_INTERFACE_DATA data) {
  FakeDeviceList* list = ListOf(handle);
  if (list == nullptr) {
    return Fail(ERROR_INVALID_HANDLE);
  }
  if (data == nullptr || interfaceGuid == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
    return Fail(ERROR_INVALID_USER_BUFFER);
  }
  if (!IsEqualGUID(*interfaceGuid, kSimHidGuid) || index >= list->count) {
    return Fail(ERROR_NO_MORE_ITEMS);
  }
  data->InterfaceClassGuid = kSimHidGuid;
  data->Flags = SPINT_ACTIVE;
  data->Reserved = index + 1;
  return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInterfaceDetailW(HDEVINFO handle, PSP_DEVICE_INTERFACE_DATA data,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail,
                                             DWORD detailSize, PDWORD requiredSize,
                                             PSP_DEVINFO_DATA deviceInfo) {
  FakeDeviceList* list = ListOf(handle);
  if (list == nullptr) {
    return Fail(ERROR_INVALID_HANDLE);
  }
  const SimHidEntry* entry = EntryOf(list, data);
  if (entry == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const size_t pathBytes = (wcslen(entry->path) + 1) * sizeof(wchar_t);
  const DWORD required =
      static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) + pathBytes);
  if (requiredSize != nullptr) {
    *requiredSize = required;
  }
  if (detail == nullptr) {
    return Fail(detailSize == 0 ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_USER_BUFFER);
  }
  if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
    return Fail(ERROR_INVALID_USER_BUFFER);
  }
  if (detailSize < required) {
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  memcpy(detail->DevicePath, entry->path, pathBytes);
  return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO handle) {
  FakeDeviceList* list = ListOf(handle);
  if (list == nullptr) {
    return Fail(ERROR_INVALID_HANDLE);
  }
  list->magic = 0;
  HeapFree(GetProcessHeap(), 0, list);
  if (SimHidCounters* counters = SharedSimHidTable().Counters()) {
    InterlockedIncrement(&counters->listsDestroyed);
  }
  return TRUE;
}

}  // extern "C"
