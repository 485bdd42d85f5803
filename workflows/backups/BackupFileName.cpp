// The names of saved backups (see BackupFileName.h).
#include "workflows/backups/BackupFileName.h"

#include "platform/TimeText.h"

namespace {

constexpr std::string_view kNamePrefix = "backup-";
constexpr std::string_view kNameSuffix = ".txt";
constexpr size_t kStampLength = 24;  // "2026-12-07T17:53:16.123Z"

}  // namespace

std::string BackupFileName(int64_t utcMs) {
  std::string stamp = UtcStamp(utcMs);
  for (char& c : stamp) {
    if (c == ':') {
      c = '-';  // Windows allows no colon in a file name
    }
  }
  return std::string(kNamePrefix) + stamp + std::string(kNameSuffix);
}

bool IsBackupFileName(std::string_view name) {
  if (name.size() != kNamePrefix.size() + kStampLength + kNameSuffix.size() ||
      name.substr(0, kNamePrefix.size()) != kNamePrefix ||
      name.substr(name.size() - kNameSuffix.size()) != kNameSuffix) {
    return false;
  }
  std::string stamp(name.substr(kNamePrefix.size(), kStampLength));
  if (stamp[13] != '-' || stamp[16] != '-') {
    return false;
  }
  stamp[13] = ':';
  stamp[16] = ':';
  int64_t ignored = 0;
  return ParseUtcStamp(stamp, &ignored);
}
