// HidHide's control device \\.\HidHide made to exist in the Wine prefix for as long as the
// object lives: Wine opens \\.\NAME as the prefix's dosdevices/name, so a file of that name
// there is what a program finds when HidHide is installed. The prefix cannot have the real
// driver; the program under test is the same either way.
#pragma once

#include <string>

class FakeHidHide {
 public:
  FakeHidHide();
  ~FakeHidHide();
  FakeHidHide(const FakeHidHide&) = delete;
  FakeHidHide& operator=(const FakeHidHide&) = delete;

  // False outside Wine (no prefix to change), or when the file could not be made.
  bool Made() const { return !path_.empty(); }

 private:
  std::wstring path_;
};
