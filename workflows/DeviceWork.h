// The device work of a sequence as a span: begun when made, ended by End or when it goes. A
// flash still going ends with it.
#pragma once

#include "workflows/SequenceView.h"

class DeviceWork {
 public:
  explicit DeviceWork(SequenceView& view) : view_(view) {
    view_.Notify(SequenceEvent::kDeviceWorkBegins);
  }
  ~DeviceWork() { End(); }
  DeviceWork(const DeviceWork&) = delete;
  DeviceWork& operator=(const DeviceWork&) = delete;

  void End() {
    if (held_) {
      held_ = false;
      view_.Notify(SequenceEvent::kDeviceWorkEnds);
    }
  }

 private:
  SequenceView& view_;
  bool held_ = true;
};
