// The narrow surface through which the update sequences act on the main window. The window
// implements it (every call is made from the worker thread and served by the window thread);
// native tests implement a recorder that keeps every call in order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// What the outcome box shows beside its text.
enum class MessageIcon { kInformation, kWarning, kError };

// Something a sequence holds for a span of its run; releasing it ends that span.
class SequenceScope {
 public:
  virtual ~SequenceScope() = default;
};

class SequenceView {
 public:
  virtual ~SequenceView() = default;

  // The status line.
  virtual void SetStatus(const std::wstring& text) = 0;
  // Enables or disables the control with the given id.
  virtual void EnableControl(uint16_t id, bool enabled) = 0;
  // Moves the progress bar (range 0 to 1000).
  virtual void SetProgress(uint64_t position) = 0;
  // Gives the window back the full size and place it had at start-up, then centres it on the
  // primary screen, so that the force-update group shows.
  virtual void GrowToFullAndCenter() = 0;
  // Shows a message box owned by the main window; returns once the user has dismissed it.
  virtual void ShowOutcome(const std::wstring& text, const std::wstring& caption,
                           MessageIcon icon) = 0;
  // Shows a warning box with Retry and Cancel owned by the main window; true for Retry.
  virtual bool OfferRetry(const std::wstring& text, const std::wstring& caption) = 0;
  // Posts the Refresh command to the window, so the version line is read again there.
  virtual void PostRefresh() = 0;
  // Lets the window start another sequence.
  virtual void ClearBusy() = 0;

  // The flags that say which backup buffer holds a complete copy of its block, read from the
  // controller in this run of the tool (by Update or Initialize). They live as long as the
  // window; only a complete backup sets one, and nothing clears them.
  virtual void SetButtonConfigBackedUp(bool value) = 0;
  virtual void SetGlobalConfigBackedUp(bool value) = 0;
  virtual bool ButtonConfigBackedUp() = 0;
  virtual bool GlobalConfigBackedUp() = 0;

  // Centres the message boxes that this thread shows over the main window while held.
  virtual std::unique_ptr<SequenceScope> PlaceMessageBoxes() = 0;
  // Keeps the system from sleeping while held, and for an upgrade also holds off the end of
  // the session. Held only while the controller is being worked on: released before an
  // outcome box waits for the user.
  virtual std::unique_ptr<SequenceScope> KeepAwake() = 0;
  // True once the window is closing; a long wait gives up then.
  virtual bool CloseRequested() = 0;
};
