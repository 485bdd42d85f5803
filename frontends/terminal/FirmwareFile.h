// Choosing and checking the firmware image before anything reaches the controller.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The "*.vxf" files (extension in any case) of `folder`, sorted by name.
std::vector<std::string> ListFirmwareFiles(const std::string& folder);

enum class FirmwareCheck {
  kReady,        // a regular file that opens for reading and is not empty
  kInvalidPath,  // missing, a folder, a device or a pipe
  kUnreadable,   // a file that cannot be opened, is empty, or is 4 GiB or larger
};

// Checks `path` (the bytes the user gave) as the sequences will read it, by its status and
// an open: the sequence then reads it, once.
FirmwareCheck CheckFirmwareFile(const std::string& path);

// The image an update or a recovery writes: as the user named it, and as the sequences take
// it (the same bytes).
struct FirmwareChoice {
  std::string shown;
  std::filesystem::path path;
};

// The file `named` (empty: the single *.vxf of the current folder), checked. False with
// `error` saying what is wrong and how to go on.
bool ChooseFirmware(const std::string& named, FirmwareChoice* choice, std::string* error);
