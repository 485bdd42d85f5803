// The backup folder on Windows: %ProgramData%\Padwright\backups (the controller belongs to
// the machine, and the tool runs elevated). Both folders must be the administrators' own:
// owned by them or the system, and changed by no one else (see AdminOnlyFolder.h), so that
// no other account can plant a backup that an elevated run would write to the controller.
// They are checked before they are first used. One that another account made or may change
// is not repaired in place (handles opened on it earlier keep their rights): the whole
// Padwright folder is renamed aside to "Padwright.untrusted-<time>", its files never read,
// and new folders are made with the protected security. A link in the place of a folder or
// file is never followed, nor used. A file is replaced by writing a temporary file beside it,
// FlushFileBuffers, then MoveFileExW with write-through (tried again for a moment while
// another program has the file open).
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "platform/BackupFolder.h"
#include "platform/Clock.h"

class CWinBackupFolder final : public BackupFolder {
 public:
  // `clock` tells the time of day that names a folder set aside; it outlives the folder.
  CWinBackupFolder(std::wstring path, Clock& clock) : path_(std::move(path)), clock_(clock) {}

  // %ProgramData%\Padwright\backups; empty when ProgramData cannot be found.
  static std::wstring DefaultPath();

  // Checks both folders and sets them aside when they are not safe. False when they must
  // not be used; FailureText() then says why. Folders that do not exist yet are fine (they
  // are made safe).
  bool Secure();
  // What the user is told once: that an unsafe folder was set aside, and as what ("" when
  // none was, or it was said already).
  std::wstring TakeNotice();

  bool List(std::vector<std::string>* names) override;
  bool Read(const std::string& name, std::string* text) override;
  bool ReadUpTo(const std::string& name, std::string* text, size_t largest) override;
  bool Write(const std::string& name, const std::string& text) override;
  bool Remove(const std::string& name) override;
  std::wstring FailureText() const override;

  const std::wstring& Path() const { return path_; }

 private:
  std::wstring PathOf(const std::string& name) const;
  std::wstring ParentPath() const;
  bool MakeFolders();
  // Renames the unsafe Padwright folder aside; `problem` names the folder and what is wrong.
  bool SetAside(const std::wstring& problem);
  bool Fail(const std::wstring& reason);
  // Opens a file of the folder for reading when it can be trusted (see FileSecurityProblem).
  void* OpenTrusted(const std::string& name);

  std::wstring path_;
  Clock& clock_;
  std::atomic<bool> secured_{false};  // both folders were found or made safe
  mutable std::mutex errorMutex_;
  std::wstring lastError_;
  std::wstring notice_;  // guarded by errorMutex_
};
