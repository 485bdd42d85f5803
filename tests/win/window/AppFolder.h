// A folder of a window test's own holding padwright.exe, inpoutx64.dll and `firmwareFiles`
// empty "fw<n>.vxf" files; removed again, with what it holds, when the object goes.
#pragma once

#include <string>

#include "tests/win/support/AppProcess.h"
#include "tests/win/support/TestFolder.h"

class AppFolder : public TestFolder {
 public:
  AppFolder(const std::wstring& name, int firmwareFiles)
      : TestFolder(L"ui-" + name), ready_(CopyProduct(Path())) {
    for (int i = 0; i < firmwareFiles; ++i) {
      ready_ = Write(L"fw" + std::to_wstring(i) + L".vxf", {}) && ready_;
    }
  }

  // False when one of its files could not be made.
  bool Ready() const { return ready_; }

 private:
  bool ready_;
};
