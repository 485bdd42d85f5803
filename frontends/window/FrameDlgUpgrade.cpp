// CFrameDlg's handlers of Update, Force update and Initialize: each starts its sequence on a
// worker thread over the window's controller link, its run context and this run's state.
#include <string>

#include "device/win/HidDevice.h"
#include "frontends/window/CommandStart.h"
#include "frontends/window/FrameCommandHost.h"
#include "frontends/window/FrameDlg.h"
#include "frontends/window/FrameSequenceView.h"
#include "workflows/ForceUpgradeSequence.h"
#include "workflows/InitializeSequence.h"
#include "workflows/UpgradeSequence.h"

LRESULT CFrameDlg::OnUpgrade(WORD, WORD id, HWND, WORD, WORD) {
  CFrameCommandHost host(*this, true);
  StartUpgradeCommand(host, id, [this](const std::wstring& path) {
    CFrameSequenceView view(*this);
    UpgradeSequence(link, context, view, run, path);
  });
  return 0;
}

LRESULT CFrameDlg::OnForceUpgrade(WORD, WORD id, HWND, WORD, WORD) {
  CFrameCommandHost host(*this, true);
  StartUpgradeCommand(host, id, [this](const std::wstring& path) {
    CFrameSequenceView view(*this);
    ForceUpgradeSequence(link, context, view, run, path);
  });
  return 0;
}

LRESULT CFrameDlg::OnInitialize(WORD, WORD, HWND, WORD, WORD) {
  CFrameCommandHost host(*this, false);
  StartInitializeCommand(host, [this] {
    CFrameSequenceView view(*this);
    // Its own transport, only for the presence scans: the controller link stays free.
    InitializeSequence(link, context, view, run, [] { return CHidDevice(); });
  });
  return 0;
}
