// The walk over the present HID device interfaces (see HidScan.h).
#include "device/win/HidScan.h"

#include <setupapi.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <new>

namespace {

// Read and write access as a HID report pipe needs it (0x0012019F).
constexpr DWORD kDeviceAccess = FILE_GENERIC_READ | FILE_GENERIC_WRITE;

// The interface's detail block, sized as the platform asks; null when it cannot be had.
std::unique_ptr<unsigned char[]> FetchDetail(HDEVINFO list, SP_DEVICE_INTERFACE_DATA& data) {
  DWORD required = 0;
  if (!SetupDiGetDeviceInterfaceDetailW(list, &data, nullptr, 0, &required, nullptr) &&
      GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    return nullptr;
  }
  // A size that cannot even hold the header would make the size field below overflow.
  if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
    return nullptr;
  }
  std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[required]);
  if (!block) {
    return nullptr;
  }
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(block.get());
  // The size field holds the fixed header's size (8 bytes on x64), not the block's.
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
  if (!SetupDiGetDeviceInterfaceDetailW(list, &data, detail, required, nullptr, nullptr)) {
    return nullptr;
  }
  return block;
}

// Opens the device behind `path` and reads its ids; writes the debug line for it. Returns
// the open handle, or INVALID_HANDLE_VALUE when the device cannot be opened (CreateFileW's
// error in `*openError`) or read (`*openError` 0).
HANDLE OpenAndIdentify(const wchar_t* path, HIDD_ATTRIBUTES* attributes, DWORD* openError) {
  *openError = 0;
  HANDLE handle = CreateFileW(path, kDeviceAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *openError = GetLastError();
    return INVALID_HANDLE_VALUE;
  }
  ZeroMemory(attributes, sizeof(*attributes));
  if (!HidD_GetAttributes(handle, attributes)) {
    CloseHandle(handle);
    return INVALID_HANDLE_VALUE;
  }
  // Built with __USE_MINGW_ANSI_STDIO this is MinGW's own C99 formatter, where %S is a wide
  // string (%ls); in the Microsoft runtimes' narrow printf %S means a wide string as well.
  printf("Vid: %x Pid: %x %S\r\n", attributes->VendorID, attributes->ProductID, path);
  return handle;
}

// Whether an interface path names these ids as USB paths do ("...#vid_1c4f&pid_0002#..."),
// in any case: a device that cannot be opened can be told by nothing else.
bool PathCarriesIds(const wchar_t* path, uint16_t vid, uint16_t pid) {
  wchar_t ids[32];
  swprintf(ids, 32, L"vid_%04x&pid_%04x", vid, pid);
  std::wstring lower(path);
  for (wchar_t& c : lower) {
    c = static_cast<wchar_t>(towlower(c));
  }
  return lower.find(ids) != std::wstring::npos;
}

// Of two refusals the one to remember: the first, unless it only said that the device was
// not there (gone since it was listed), which any other refusal outweighs.
bool Outweighs(DWORD error, DWORD remembered) {
  return remembered == 0 || (remembered == ERROR_FILE_NOT_FOUND && error != ERROR_FILE_NOT_FOUND);
}

bool Matches(const HIDD_ATTRIBUTES& attributes, uint16_t vid, uint16_t pid, const wchar_t* path,
             const wchar_t* pathFilter) {
  return attributes.VendorID == vid && attributes.ProductID == pid &&
         (pathFilter == nullptr || wcsstr(path, pathFilter) != nullptr);
}

// Both report lengths are `reportLength` (any when it is 0). A gamepad collection of the same
// controller opens read-write just like its command interface, with other report lengths.
bool CarriesReports(HANDLE handle, uint16_t reportLength) {
  if (reportLength == 0) {
    return true;
  }
  HIDP_CAPS caps;
  ZeroMemory(&caps, sizeof(caps));
  return QueryHidCaps(handle, &caps) && caps.InputReportByteLength == reportLength &&
         caps.OutputReportByteLength == reportLength;
}

// Whether an interface that refused a read-write open may be the one asked for. Windows
// itself opens a keyboard or mouse collection exclusively (the controller lists those under
// its own ids too), so that open fails with "access denied" as HidHide's does. An open that
// asks for no access is still allowed for such a collection and reads its capabilities: only
// one with the asked report lengths, or whose capabilities cannot be read (HidHide refuses
// every open), is taken for the interface that is kept from this program.
bool MayCarryReports(const wchar_t* path, uint16_t reportLength) {
  if (reportLength == 0) {
    return true;
  }
  HANDLE handle =
      CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return true;
  }
  HIDP_CAPS caps;
  ZeroMemory(&caps, sizeof(caps));
  const bool read = QueryHidCaps(handle, &caps);
  CloseHandle(handle);
  return !read || (caps.InputReportByteLength == reportLength &&
                   caps.OutputReportByteLength == reportLength);
}

struct ScanRequest {
  uint16_t vid;
  uint16_t pid;
  const wchar_t* pathFilter;
  bool keepFirstMatch;
  uint16_t reportLength;
};

// Looks at the interface with this index. Returns false once the list has no more entries.
bool VisitInterface(HDEVINFO list, const GUID& guid, DWORD index, const ScanRequest& request,
                    HidScanResult& result) {
  SP_DEVICE_INTERFACE_DATA data;
  ZeroMemory(&data, sizeof(data));
  data.cbSize = sizeof(data);
  if (!SetupDiEnumDeviceInterfaces(list, nullptr, &guid, index, &data)) {
    return GetLastError() != ERROR_NO_MORE_ITEMS;
  }
  std::unique_ptr<unsigned char[]> block = FetchDetail(list, data);
  if (!block) {
    return true;
  }
  const wchar_t* path =
      reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(block.get())->DevicePath;
  HIDD_ATTRIBUTES attributes;
  DWORD openError = 0;
  HANDLE handle = OpenAndIdentify(path, &attributes, &openError);
  if (handle == INVALID_HANDLE_VALUE) {
    if (openError != 0 && Outweighs(openError, result.refusedError) &&
        PathCarriesIds(path, request.vid, request.pid) &&
        MayCarryReports(path, request.reportLength)) {
      result.refusedError = openError;
      result.refusedPath = path;
    }
    return true;
  }
  if (Matches(attributes, request.vid, request.pid, path, request.pathFilter) &&
      CarriesReports(handle, request.reportLength)) {
    result.matched = true;
    if (request.keepFirstMatch) {
      result.kept = handle;
      return false;
    }
  }
  CloseHandle(handle);
  return true;
}

}  // namespace

bool QueryHidCaps(HANDLE device, HIDP_CAPS* caps) {
  PHIDP_PREPARSED_DATA preparsed = nullptr;
  if (!HidD_GetPreparsedData(device, &preparsed)) {
    return false;
  }
  bool ok = HidP_GetCaps(preparsed, caps) == HIDP_STATUS_SUCCESS;
  // Handed out afresh for every query; a transfer makes one, a firmware image thousands.
  HidD_FreePreparsedData(preparsed);
  return ok;
}

HidScanResult ScanHidDevices(uint16_t vid, uint16_t pid, const wchar_t* pathFilter,
                             bool keepFirstMatch, uint16_t reportLength) {
  const ScanRequest request{vid, pid, pathFilter, keepFirstMatch, reportLength};
  HidScanResult result;
  GUID guid;
  HidD_GetHidGuid(&guid);
  HDEVINFO list =
      SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (list == INVALID_HANDLE_VALUE) {
    return result;
  }
  result.listed = true;
  for (DWORD index = 0; VisitInterface(list, guid, index, request, result); ++index) {
  }
  SetupDiDestroyDeviceInfoList(list);
  return result;
}
