// Window-test helpers: pumping, waiting and window searches.
#include "tests/win/support/WindowProbe.h"

namespace probe {

void Pump() {
  MSG msg = {};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    Pump();
    if (done()) {
      return true;
    }
    if (GetTickCount() - start > timeoutMs) {
      return done();
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

namespace {

// A top-level window's caption, read without sending it a message (its thread may be busy).
std::wstring CaptionOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

struct Search {
  DWORD threadId;
  DWORD processId;
  std::wstring className;
  std::wstring caption;
  std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD process = 0;
  DWORD thread = GetWindowThreadProcessId(window, &process);
  if ((search->threadId == 0 || thread == search->threadId) &&
      (search->processId == 0 || process == search->processId) &&
      (search->className.empty() || ClassOf(window) == search->className) &&
      (search->caption.empty() || CaptionOf(window) == search->caption)) {
    search->found.push_back(window);
  }
  return TRUE;
}

struct ChildSearch {
  std::wstring className;
  std::wstring text;
  HWND found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  if (ClassOf(window) == search->className && TextOf(window) == search->text) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK LongestStatic(HWND window, LPARAM param) {
  auto* best = reinterpret_cast<std::wstring*>(param);
  if (_wcsicmp(ClassOf(window).c_str(), L"Static") == 0) {
    std::wstring text = TextOf(window);
    if (text.size() > best->size()) {
      *best = text;
    }
  }
  return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD threadId, DWORD processId, const std::wstring& className,
                                  const std::wstring& caption) {
  Search search{threadId, processId, className, caption, {}};
  if (threadId != 0) {
    EnumThreadWindows(threadId, Collect, reinterpret_cast<LPARAM>(&search));
  } else {
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
  }
  return search.found;
}

HWND WaitForWindow(DWORD threadId, DWORD processId, const std::wstring& className,
                   const std::wstring& caption, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND window : TopLevelWindows(threadId, processId, className, caption)) {
          if (IsWindowVisible(window)) {
            found = window;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  // WM_GETTEXT rather than GetWindowTextW: it reads other processes' controls too.
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                      nullptr);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring MessageBoxText(HWND box) {
  std::wstring best;
  EnumChildWindows(box, LongestStatic, reinterpret_cast<LPARAM>(&best));
  return best;
}

HWND FindChild(HWND parent, const std::wstring& className, const std::wstring& text) {
  ChildSearch search{className, text, nullptr};
  EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

RECT RectOf(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  return r;
}

}  // namespace probe
