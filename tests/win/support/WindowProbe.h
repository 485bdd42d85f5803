// Helpers of the window tests: waiting while serving the thread's messages, and finding
// windows by caption, class and thread or process.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace probe {

// Serves this thread's messages (sent and posted) once.
void Pump();
// Pumps until `done` is true or `timeoutMs` has passed; returns the last `done`.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// The top-level windows of a thread or of a process (0: any), optionally filtered by class
// name and caption (empty: any).
std::vector<HWND> TopLevelWindows(DWORD threadId, DWORD processId, const std::wstring& className,
                                  const std::wstring& caption);
// Waits for one such window to appear; null when none did.
HWND WaitForWindow(DWORD threadId, DWORD processId, const std::wstring& className,
                   const std::wstring& caption, DWORD timeoutMs = 10000);
std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);
// The static text of a message box (its child of class "Static" with the longest text).
std::wstring MessageBoxText(HWND box);
// The first child (at any depth) whose class is `className` and whose text is `text`.
HWND FindChild(HWND parent, const std::wstring& className, const std::wstring& text);
RECT RectOf(HWND window);

}  // namespace probe
