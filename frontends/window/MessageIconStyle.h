// The message box style that shows a sequence's outcome icon.
#pragma once

#include <windows.h>

#include "frontends/window/MessageIcon.h"

inline UINT MessageIconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInformation:
      return MB_ICONINFORMATION;
    case MessageIcon::kWarning:
      return MB_ICONWARNING;
    case MessageIcon::kError:
      return MB_ICONERROR;
  }
  return MB_ICONERROR;
}
