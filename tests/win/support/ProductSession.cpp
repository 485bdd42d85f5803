// One run of the shipped padwright.exe against the controller simulator.
#include "tests/win/support/ProductSession.h"

#include "tests/support/TestImages.h"
#include "tests/win/support/SavedBackups.h"

ProductSession::ProductSession(ControllerSimulator& sim, size_t imageBytes,
                               const std::wstring& folder, bool keepSavedBackups)
    : folder_(folder), image_(SomeImage(imageBytes, 0xC0FFEE11u)) {
  if (!keepSavedBackups) {
    ForgetSavedBackups();
  }
  host_.AddController(sim);
  if (folder_.empty()) {
    temporary_ = std::make_unique<TestFolder>(L"e2e");
    folder_ = temporary_->Path();
  }
  CreateDirectoryW(folder_.c_str(), nullptr);
  prepared_ = CopyProduct(folder_) && WriteWholeFile(ImagePath(), image_);
}

ProductSession::~ProductSession() {
  if (Close() == kNotEnded) {
    End();
  }
  host_.Stop();
}

bool ProductSession::Start() {
  return prepared_ && host_.Start() && AppProcess::Start(folder_);
}
