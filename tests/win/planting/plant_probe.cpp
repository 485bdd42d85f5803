// The control of the planting tests: a program that imports hid.dll and setupapi.dll the
// ordinary way, with the default search order, in which the exe's own folder comes first.
// Beside planted DLLs it loads them; that shows the planted DLLs and their markers work.
#include <windows.h>
#include <setupapi.h>

// MinGW's header declares these without C linkage.
extern "C" {
#include <hidsdi.h>
}

int main() {
  GUID guid = {};
  HidD_GetHidGuid(&guid);
  HDEVINFO list =
      SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (list != INVALID_HANDLE_VALUE) {
    SetupDiDestroyDeviceInfoList(list);
  }
  return 0;
}
