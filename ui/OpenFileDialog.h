// The system's file-open dialog (the COM item dialog), shown on the calling thread, which
// it makes a single-threaded COM apartment for the dialog's time (so the thread must not be
// in the multithreaded one already).
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <string>

// Shows the dialog owned by `owner`. `path` is the starting point (its folder, or the program's
// folder when it is empty; its file name pre-filled) and, when the user accepts a file, the
// result. `*fileTypeIndex` picks the filter on entry (0 = the dialog's default) and receives
// the 1-based index in use on acceptance; `fileTypes` may be null. True when a file was
// accepted and its path taken.
bool ShowOpenFileDialog(HWND owner, std::wstring& path, unsigned* fileTypeIndex,
                        const COMDLG_FILTERSPEC* fileTypes, unsigned fileTypeCount);
