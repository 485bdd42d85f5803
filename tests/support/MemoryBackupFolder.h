// A backup folder in memory for tests: its files as a map, with a switch that makes every write
// fail, and the last note of a pending backup it was given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/BackupFolder.h"

class MemoryBackupFolder final : public BackupFolder {
 public:
  MemoryBackupFolder() = default;
  MemoryBackupFolder(const MemoryBackupFolder&) = delete;
  MemoryBackupFolder& operator=(const MemoryBackupFolder&) = delete;

  bool List(std::vector<std::string>* names) override;
  // As the platforms' folders do, a file larger than a backup is read only by ReadUpTo.
  static constexpr size_t kLargestBackup = 64 * 1024;
  bool Read(const std::string& name, std::string* text) override;
  bool ReadUpTo(const std::string& name, std::string* text, size_t largest) override;
  bool Write(const std::string& name, const std::string& text) override;
  bool Remove(const std::string& name) override;
  void NotePending(std::optional<int64_t> newestPendingUtcMs) override;

  // The files as they are now.
  std::map<std::string, std::string> Files() const;
  void Put(const std::string& name, const std::string& text);
  // Every write fails (a full or read-only disk).
  bool failWrites = false;
  // So many writes succeed, then every one fails (the disk fills up during a run).
  size_t writesBeforeFailing = SIZE_MAX;
  // The time of the newest pending backup as last noted; nothing noted yet: nullopt.
  std::optional<std::optional<int64_t>> pendingNote;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::string> files_;
};
