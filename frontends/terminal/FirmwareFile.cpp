// The firmware file: found beside the user, checked as the sequences will read it.
#include "frontends/terminal/FirmwareFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "frontends/terminal/CommandContext.h"
#include "platform/FileRead.h"
#include "platform/PrintableText.h"

namespace {

bool HasFirmwareExtension(const std::string& name) {
  if (name.size() <= 4) {
    return false;
  }
  std::string extension = name.substr(name.size() - 4);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".vxf";
}

}  // namespace

std::vector<std::string> ListFirmwareFiles(const std::string& folder) {
  std::vector<std::string> files;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) {
    return files;
  }
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    struct stat info {};
    if (HasFirmwareExtension(name) && stat((folder + "/" + name).c_str(), &info) == 0 &&
        S_ISREG(info.st_mode)) {
      files.push_back(name);
    }
  }
  closedir(dir);
  std::sort(files.begin(), files.end());
  return files;
}

FirmwareCheck CheckFirmwareFile(const std::string& path) {
  struct stat info {};
  // Only a regular file: reading a pipe or a device node could block or never end.
  if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return FirmwareCheck::kInvalidPath;
  }
  // What the sequence's read refuses (ReadFileBytes), without reading it here: the sequence
  // reads the image once, when it starts.
  if (info.st_size <= 0 || static_cast<unsigned long long>(info.st_size) > kMaxFileBytes) {
    return FirmwareCheck::kUnreadable;
  }
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return FirmwareCheck::kUnreadable;
  }
  close(fd);
  return FirmwareCheck::kReady;
}

bool ChooseFirmware(const std::string& named, FirmwareChoice* choice, std::string* error) {
  std::string shown = named;
  if (shown.empty()) {
    const std::vector<std::string> files = ListFirmwareFiles(".");
    if (files.size() != 1) {
      *error = files.empty() ? "padwright: no *.vxf file in the current folder; name the file: " +
                                   CommandHint("update FILE")
                             : "padwright: several *.vxf files in the current folder; name one:";
      for (const std::string& file : files) {
        *error += "\n  " + EscapeControls(file);
      }
      return false;
    }
    shown = files[0];
  }
  switch (CheckFirmwareFile(shown)) {
    case FirmwareCheck::kReady:
      *choice = {shown, std::filesystem::path(shown)};
      return true;
    case FirmwareCheck::kInvalidPath:
      *error = "Invalid file path: " + EscapeControls(shown);
      return false;
    case FirmwareCheck::kUnreadable:
      *error = "Read firmware file failed! (" + EscapeControls(shown) + ")";
      return false;
  }
  return false;
}
