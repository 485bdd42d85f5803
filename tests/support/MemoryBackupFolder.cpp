// A backup folder in memory for tests (see MemoryBackupFolder.h).
#include "tests/support/MemoryBackupFolder.h"

bool MemoryBackupFolder::List(std::vector<std::string>* names) {
  std::lock_guard<std::mutex> lock(mutex_);
  names->clear();
  for (const auto& [name, text] : files_) {
    names->push_back(name);
  }
  return true;
}

bool MemoryBackupFolder::Read(const std::string& name, std::string* text) {
  return ReadUpTo(name, text, kLargestBackup);
}

bool MemoryBackupFolder::ReadUpTo(const std::string& name, std::string* text, size_t largest) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = files_.find(name);
  if (found == files_.end() || found->second.size() > largest) {
    return false;
  }
  *text = found->second;
  return true;
}

bool MemoryBackupFolder::Write(const std::string& name, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (failWrites || writesBeforeFailing == 0) {
    return false;
  }
  if (writesBeforeFailing != SIZE_MAX) {
    --writesBeforeFailing;
  }
  files_[name] = text;
  return true;
}

bool MemoryBackupFolder::Remove(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  return files_.erase(name) == 1;
}

void MemoryBackupFolder::NotePending(std::optional<int64_t> newestPendingUtcMs) {
  std::lock_guard<std::mutex> lock(mutex_);
  pendingNote = newestPendingUtcMs;
}

std::map<std::string, std::string> MemoryBackupFolder::Files() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return files_;
}

void MemoryBackupFolder::Put(const std::string& name, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  files_[name] = text;
}
