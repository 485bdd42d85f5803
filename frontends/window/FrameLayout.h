// The main window's size at any scale: collapsed at start-up so that the force-update group
// lies outside it, grown to its full size into the work area of its monitor, sized again at a
// change of scale (per-monitor DPI awareness), of the display or of the work area, and the
// window's icons for each scale. Lengths come from the controls as the dialog manager placed
// them from dialog units, and from the window's DPI; none is a fixed count of pixels. Window
// thread only.
#pragma once

#include <windows.h>

class CDialogBase;

class CFrameLayout {
 public:
  // `layoutMessage`: posted to the window to lay it out once the dialog manager has placed
  // the controls anew (Relayout).
  CFrameLayout(CDialogBase& dialog, UINT layoutMessage);
  // Destroys the icons given to the window.
  ~CFrameLayout();
  CFrameLayout(const CFrameLayout&) = delete;
  CFrameLayout& operator=(const CFrameLayout&) = delete;

  // At start-up: takes the window's scale and gives it its icons.
  void TakeScale();
  // At start-up, the window still at its template place and full size: notes both
  // rectangles and collapses the window.
  void Collapse();
  // Gives the window its full size, then centres it in the work area of its monitor; it
  // stays full from then on. When the full window would be taller than the work area, the
  // file box gives up height first (down to two lines), so that the recovery steps and
  // Force update show.
  void GrowToFull();
  bool Grown() const { return grown_; }
  // WM_DPICHANGED: takes the suggested rectangle (a minimised window keeps its place) and the
  // new scale's icons; the layout follows once the dialog manager has rescaled the font and
  // the controls (a posted Relayout).
  void DpiChanged(WPARAM wParam, const RECT* suggested);
  // Recomputes the full and collapsed rectangles at the current scale, where the window
  // stands, and gives the window the one of its state inside the work area of its monitor (a
  // grown window fits the file box to it again). A minimised window is laid out once
  // restored.
  void Relayout();
  // Posts a Relayout: the screen or the room the taskbar leaves changed.
  void RelayoutLater();
  // The window was restored from minimised: it gets the layout it missed meanwhile.
  void Restored();

  // The window's full and collapsed rectangles (screen coordinates) at its current scale:
  // taken at start-up, and again where the window stands when it grows and after a change
  // of scale.
  const RECT& FullRect() const { return fullRect_; }
  const RECT& CollapsedRect() const { return collapsedRect_; }

  // The "Force update" group box, which the collapsed window hides; null when absent.
  static HWND FindRecoveryGroup(HWND window);
  // Centres `window` in the work area of its monitor, keeping its size; a window taller or
  // wider than the work area keeps its top and left edges on the work area's, so that its
  // title bar is never above it.
  static BOOL CenterInWorkArea(HWND window);

 private:
  // The window's width and its two heights at the current scale, in pixels, frame included:
  // collapsed, the client area ends where the force-update group begins; full, it has the
  // template's margins right of and below the group, as the group now stands.
  struct Sizes {
    int width;
    int full;
    int collapsed;
  };
  Sizes MeasureSizes() const;
  // Gives the file box the height that lets the full window fit `workHeight` pixels (frame
  // included), between its natural height and two lines, moving everything below it.
  void FitFileBox(int workHeight);
  // Gives the window its big and small icon in the sizes for `windowDpi`.
  void SetIconsForDpi(UINT windowDpi);

  CDialogBase& dialog_;
  UINT layoutMessage_;
  RECT fullRect_ = {};
  RECT collapsedRect_ = {};
  // The window has grown to its full size.
  bool grown_ = false;
  // A layout was due while the window was minimised.
  bool layoutOwed_ = false;
  // The margins right of and below the force-update group in the full window at start-up, in
  // pixels at `startDpi_`.
  SIZE groupMargins_ = {};
  // The file box's natural height, in pixels at `startDpi_`.
  int fileBoxHeight_ = 0;
  UINT startDpi_ = USER_DEFAULT_SCREEN_DPI;
  // The DPI the window has now.
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
};
