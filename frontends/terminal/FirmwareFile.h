// Choosing and checking the firmware image before anything reaches the controller.
#pragma once

#include <string>
#include <vector>

// The "*.vxf" files (extension in any case) of `folder`, sorted by name.
std::vector<std::string> ListFirmwareFiles(const std::string& folder);

enum class FirmwareCheck {
  kReady,        // a regular file that reads whole and is not empty
  kInvalidPath,  // missing, a folder, a device or a pipe
  kUnreadable,   // a file that cannot be read, is empty, or is 4 GiB or larger
};

// Checks `path` (the bytes the user gave) as the sequences will read it.
FirmwareCheck CheckFirmwareFile(const std::string& path);
