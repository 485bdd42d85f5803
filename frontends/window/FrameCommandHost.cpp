// The main window as the start handlers of the update commands see it.
#include "frontends/window/FrameCommandHost.h"

#include <utility>

#include "frontends/window/MessageIconStyle.h"
#include "frontends/window/resource.h"
#include "platform/win/FileSystem.h"
#include "ui/DialogBase.h"

std::wstring CFrameCommandHost::TakeFirmwarePath() {
  return frame_.TakeFirmwarePath();
}

bool CFrameCommandHost::IsFile(const std::wstring& path) {
  return ::IsFile(path);
}

void CFrameCommandHost::ShowMessage(const std::wstring& text, const std::wstring& caption,
                                    MessageIcon icon) {
  MessageBoxW(frame_.Dialog().hwnd, text.c_str(), caption.c_str(), MessageIconStyle(icon));
}

bool CFrameCommandHost::IsBusy() {
  return frame_.IsBusy();
}

void CFrameCommandHost::SetBusy(bool busy) {
  frame_.SetBusy(busy, upgrade_);
}

void CFrameCommandHost::EnableControl(uint16_t id, bool enabled) {
  EnableWindow(frame_.Dialog().GetItem(id), enabled ? TRUE : FALSE);
}

bool CFrameCommandHost::IsControlEnabled(uint16_t id) {
  return IsWindowEnabled(frame_.Dialog().GetItem(id)) != FALSE;
}

bool CFrameCommandHost::StartWorker(std::function<void()> body) {
  return frame_.StartWorker(std::move(body));
}
