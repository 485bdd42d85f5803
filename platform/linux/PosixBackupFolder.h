// The backup folder on Linux: /var/lib/padwright/backups for root (the controller belongs to
// the machine), else $XDG_STATE_HOME/padwright/backups (~/.local/state/padwright/backups).
// Folders are made as needed, mode 0700; a file is replaced by writing a temporary file
// beside it, fsync, rename, then fsync of the folder, so that a power cut leaves the old or
// the new file whole.
#pragma once

#include <string>
#include <vector>

#include "platform/BackupFolder.h"

class PosixBackupFolder final : public BackupFolder {
 public:
  explicit PosixBackupFolder(std::string path) : path_(std::move(path)) {}

  // The folder for the user running the command.
  static std::string DefaultPath();

  bool List(std::vector<std::string>* names) override;
  bool Read(const std::string& name, std::string* text) override;
  bool Write(const std::string& name, const std::string& text) override;
  bool Remove(const std::string& name) override;

  const std::string& Path() const { return path_; }
  std::string PathOf(const std::string& name) const { return path_ + "/" + name; }
  // What the last failed call ran into, e.g. "mkdir /var/lib/padwright: Read-only file system".
  const std::string& LastError() const { return lastError_; }

 private:
  bool Fail(const std::string& what, const std::string& path);
  bool MakeFolders();

  std::string path_;
  std::string lastError_;
};
