// The folder where saved copies of the controller's configuration outlive the process. Each
// platform gives the folder and its safe write (a temporary file, flushed to the disk, then
// renamed into place); tests hand the run a folder of their own. Names are plain file names in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class BackupFolder {
 public:
  virtual ~BackupFolder() = default;
  // The names of the files in the folder, in no order. A folder that does not exist yet
  // holds none; false when it exists but cannot be read.
  virtual bool List(std::vector<std::string>* names) = 0;
  // The whole file; false when it cannot be read.
  virtual bool Read(const std::string& name, std::string* text) = 0;
  // The same for a file that may be larger than a backup, up to `largest` bytes (the history
  // of runs); by default Read.
  virtual bool ReadUpTo(const std::string& name, std::string* text, size_t largest) {
    (void)largest;
    return Read(name, text);
  }
  // Creates the folder when needed and replaces `name` with `text` so that a cut at any
  // moment leaves either the old file or the whole new one, never a part.
  virtual bool Write(const std::string& name, const std::string& text) = 0;
  virtual bool Remove(const std::string& name) = 0;
  // What the last failed call ran into, in a few words for the status line ("" when not
  // known).
  virtual std::wstring FailureText() const { return {}; }
  // Why the last failed Read failed, for a list that names the file beside it ("a symbolic
  // link: not followed"); by default what FailureText says.
  virtual std::wstring ReadFailureText() const { return FailureText(); }
  // Told, after the backups' states changed, the time (UTC ms) of the newest backup that
  // still has to go back to the controller, or that none has. A folder that other users
  // cannot read keeps a note of it where they can; by default nothing is kept.
  virtual void NotePending(std::optional<int64_t> newestPendingUtcMs) { (void)newestPendingUtcMs; }
};
