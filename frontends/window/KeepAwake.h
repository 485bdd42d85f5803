// CKeepAwake: while one is alive, neither the system nor the display goes to sleep because of
// idleness. The request belongs to the calling thread; make and destroy the object on the
// same thread.
#pragma once

class CKeepAwake {
 public:
  CKeepAwake();
  ~CKeepAwake();
  CKeepAwake(const CKeepAwake&) = delete;
  CKeepAwake& operator=(const CKeepAwake&) = delete;
};
