// Choosing and checking the firmware image before anything reaches the controller.
#pragma once

#include <string>
#include <vector>

// The "*.vxf" files (extension in any case) of `folder`, sorted by name.
std::vector<std::string> ListFirmwareFiles(const std::string& folder);

enum class FirmwareCheck {
  kReady,        // a regular file that reads whole and is not empty
  kInvalidPath,  // missing, a folder, a device or pipe, or a name that is not UTF-8
  kUnreadable,   // a file that cannot be read, is empty, or is 4 GiB or larger
};

// Checks `path` as the sequences will read it; `widePath` gets the path as they take it.
FirmwareCheck CheckFirmwareFile(const std::string& path, std::wstring* widePath);
