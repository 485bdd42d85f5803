// A DLL planted beside an exe under the name of a system DLL (hid.dll or setupapi.dll):
// loading it leaves "<its name>.planted" in its folder, so a test can tell whether a process
// took it instead of the one in System32. Its exports fail; it only has to be loadable.
#include <windows.h>

namespace {

void LeaveMarker(HMODULE self) {
  wchar_t path[MAX_PATH + 16] = {};
  DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return;
  }
  lstrcatW(path, L".planted");
  HANDLE marker =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker != INVALID_HANDLE_VALUE) {
    CloseHandle(marker);
  }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    LeaveMarker(instance);
  }
  return TRUE;
}

// The names that padwright.exe imports from hid.dll and setupapi.dll (the .def files pick
// which of them each planted DLL exports).
extern "C" {
BOOLEAN WINAPI HidD_FreePreparsedData(void*) {
  return FALSE;
}
BOOLEAN WINAPI HidD_GetAttributes(HANDLE, void*) {
  return FALSE;
}
void WINAPI HidD_GetHidGuid(GUID* guid) {
  *guid = GUID{};
}
BOOLEAN WINAPI HidD_GetPreparsedData(HANDLE, void**) {
  return FALSE;
}
LONG WINAPI HidP_GetCaps(void*, void*) {
  return 0;
}
BOOL WINAPI SetupDiDestroyDeviceInfoList(HANDLE) {
  return FALSE;
}
BOOL WINAPI SetupDiEnumDeviceInterfaces(HANDLE, void*, const GUID*, DWORD, void*) {
  SetLastError(ERROR_NO_MORE_ITEMS);
  return FALSE;
}
HANDLE WINAPI SetupDiGetClassDevsW(const GUID*, const wchar_t*, HWND, DWORD) {
  return INVALID_HANDLE_VALUE;
}
BOOL WINAPI SetupDiGetDeviceInterfaceDetailW(HANDLE, void*, void*, DWORD, DWORD*, void*) {
  return FALSE;
}
}
