// The backup folder on Windows: %ProgramData%\Padwright\backups (the controller belongs to
// the machine, and the tool runs elevated). The Padwright folder is made readable to users
// and writable only by administrators and the system, so that no other account can plant a
// backup that an elevated run would write to the controller. A file is replaced by writing
// a temporary file beside it, FlushFileBuffers, then MoveFileExW with write-through.
#pragma once

#include <string>
#include <vector>

#include "platform/BackupFolder.h"

class CWinBackupFolder final : public BackupFolder {
 public:
  explicit CWinBackupFolder(std::wstring path) : path_(std::move(path)) {}

  // %ProgramData%\Padwright\backups; empty when ProgramData cannot be found.
  static std::wstring DefaultPath();

  bool List(std::vector<std::string>* names) override;
  bool Read(const std::string& name, std::string* text) override;
  bool Write(const std::string& name, const std::string& text) override;
  bool Remove(const std::string& name) override;

  const std::wstring& Path() const { return path_; }

 private:
  std::wstring PathOf(const std::string& name) const;
  bool MakeFolders();

  std::wstring path_;
};
