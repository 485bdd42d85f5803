// ShowOpenFileDialog over IFileOpenDialog.
#include "ui/OpenFileDialog.h"

#include <shlobj.h>

#include "platform/PathText.h"
#include "platform/win/FileSystem.h"

namespace {

// FOS_STRICTFILETYPES | FOS_NOCHANGEDIR | FOS_FILEMUSTEXIST | FOS_DONTADDTORECENT, set as a
// whole so that none of the dialog's defaults remain.
constexpr FILEOPENDIALOGOPTIONS kOptions = 0x0200100C;

// Points the dialog at the folder of `path` (the program's folder for an empty path). A
// folder that no longer exists leaves the dialog's own default; false only when the shell
// cannot make an item of an existing folder.
bool SetStartFolder(IFileOpenDialog* dialog, const std::wstring& path) {
  std::wstring folder = path.empty() ? GetModuleDirectory() : path;
  if (IsFile(folder)) {
    folder = DirectoryOf(folder);
  }
  if (!IsDirectory(folder)) {
    return true;
  }
  IShellItem* item = nullptr;
  if (FAILED(SHCreateItemFromParsingName(folder.c_str(), nullptr, IID_IShellItem,
                                         reinterpret_cast<void**>(&item)))) {
    return false;
  }
  dialog->SetFolder(item);
  item->Release();
  return true;
}

// Runs the prepared dialog and takes its result into `path`.
bool RunDialog(IFileOpenDialog* dialog, HWND owner, std::wstring& path, unsigned* fileTypeIndex) {
  if (FAILED(dialog->Show(owner))) {
    return false;  // cancelled, or the dialog could not be shown
  }
  if (fileTypeIndex != nullptr) {
    UINT index = 0;
    if (SUCCEEDED(dialog->GetFileTypeIndex(&index))) {
      *fileTypeIndex = index;
    }
  }
  IShellItem* item = nullptr;
  HRESULT result = dialog->GetResult(&item);
  if (SUCCEEDED(result) && item != nullptr) {
    PWSTR name = nullptr;
    HRESULT named = item->GetDisplayName(SIGDN_FILESYSPATH, &name);
    item->Release();
    if (SUCCEEDED(named) && name != nullptr) {
      path = name;
      CoTaskMemFree(name);
    }
  }
  return SUCCEEDED(result);
}

bool ShowCreatedDialog(IFileOpenDialog* dialog, HWND owner, std::wstring& path,
                       unsigned* fileTypeIndex, const COMDLG_FILTERSPEC* fileTypes,
                       unsigned fileTypeCount) {
  dialog->SetOptions(kOptions);
  if (fileTypes != nullptr) {
    dialog->SetFileTypes(fileTypeCount, fileTypes);
  }
  if (fileTypeIndex != nullptr && *fileTypeIndex != 0) {
    dialog->SetFileTypeIndex(*fileTypeIndex);
  }
  dialog->SetFileName(FileNameOf(path).c_str());
  if (!SetStartFolder(dialog, path)) {
    return false;
  }
  return RunDialog(dialog, owner, path, fileTypeIndex);
}

}  // namespace

bool ShowOpenFileDialog(HWND owner, std::wstring& path, unsigned* fileTypeIndex,
                        const COMDLG_FILTERSPEC* fileTypes, unsigned fileTypeCount) {
  // A single-threaded apartment: on Windows the shell's dialog, shown with an owner from a
  // thread of the multithreaded apartment, can hang and never return.
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
    return false;
  }
  bool accepted = false;
  IFileOpenDialog* dialog = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_ALL, IID_IFileOpenDialog,
                                 reinterpret_cast<void**>(&dialog)))) {
    accepted = ShowCreatedDialog(dialog, owner, path, fileTypeIndex, fileTypes, fileTypeCount);
    dialog->Release();
  }
  CoUninitialize();
  return accepted;
}
