// The backup folder on Linux: /var/lib/padwright/backups for root (the controller belongs to
// the machine), else $XDG_STATE_HOME/padwright/backups (~/.local/state/padwright/backups).
// Folders are made as needed, mode 0700; a file is replaced by writing a temporary file
// beside it (made anew, O_EXCL | O_NOFOLLOW, after a leftover is removed), fsync, rename,
// then fsync of the folder, so that a power cut leaves the old or the new file whole. Root's folder
// also keeps, for other users, the note of a backup that was not written back (see
// PendingMarker.h).
#pragma once

#include <string>
#include <vector>

#include "platform/BackupFolder.h"

class PosixBackupFolder final : public BackupFolder {
 public:
  // `pendingMarker`: where to keep the note of a pending backup ("": none is kept).
  explicit PosixBackupFolder(std::string path, std::string pendingMarker = {})
      : path_(std::move(path)), pendingMarker_(std::move(pendingMarker)) {}

  // The folder for the user running the command.
  static std::string DefaultPath();
  // Where the user running the command keeps the note: root's, or none for another user.
  static std::string DefaultPendingMarker();

  bool List(std::vector<std::string>* names) override;
  bool Read(const std::string& name, std::string* text) override;
  bool ReadUpTo(const std::string& name, std::string* text, size_t largest) override;
  bool Write(const std::string& name, const std::string& text) override;
  bool Remove(const std::string& name) override;
  std::wstring FailureText() const override;
  std::wstring ReadFailureText() const override;
  void NotePending(std::optional<int64_t> newestPendingUtcMs) override;

  const std::string& Path() const { return path_; }
  std::string PathOf(const std::string& name) const { return path_ + "/" + name; }
  // What the last failed call ran into, e.g. "mkdir /var/lib/padwright: Read-only file system".
  const std::string& LastError() const { return lastError_; }

 private:
  // Notes what the call `what` on `path` ran into, from errno as that call left it.
  bool Fail(const std::string& what, const std::string& path);
  // Notes `reason` for `path`.
  bool FailFor(const std::string& path, const std::string& reason);
  bool MakeFolders();
  bool ReadWhole(int fd, const std::string& path, size_t largest, std::string* bytes);

  std::string path_;
  std::string pendingMarker_;
  std::string lastError_;   // with the path
  std::string lastReason_;  // without it
};
