// CFrameDlg's handlers of Update, Force update and Initialize: each starts its sequence on a
// worker thread over the process-wide controller link.
#include <string>

#include "device/win/HidDevice.h"
#include "device/win/ProductVexapad.h"
#include "frontends/window/CommandStart.h"
#include "frontends/window/FrameCommandHost.h"
#include "frontends/window/FrameDlg.h"
#include "frontends/window/FrameSequenceView.h"
#include "workflows/ForceUpgradeSequence.h"
#include "workflows/InitializeSequence.h"
#include "workflows/UpgradeSequence.h"

LRESULT CFrameDlg::OnUpgrade(WORD, WORD id, HWND, WORD, WORD) {
  CFrameCommandHost host(*this, true);
  StartUpgradeCommand(host, id, [this, id](const std::wstring& path) {
    CFrameSequenceView view(*this, true);
    UpgradeSequence(vexapad, view, path, id);
  });
  return 0;
}

LRESULT CFrameDlg::OnForceUpgrade(WORD, WORD id, HWND, WORD, WORD) {
  CFrameCommandHost host(*this, true);
  StartUpgradeCommand(host, id, [this, id](const std::wstring& path) {
    CFrameSequenceView view(*this, true);
    ForceUpgradeSequence(vexapad, view, path, id);
  });
  return 0;
}

LRESULT CFrameDlg::OnInitialize(WORD, WORD, HWND, WORD, WORD) {
  CFrameCommandHost host(*this, false);
  StartInitializeCommand(host, [this] {
    CFrameSequenceView view(*this, false);
    // Its own transport, only for the presence scans: the controller link stays free.
    InitializeSequence(vexapad, view, [] { return CHidDevice(); });
  });
  return 0;
}
