// The history of runs beside the saved backups (see RunHistory.h).
#include "workflows/RunHistory.h"

#include <deque>
#include <mutex>

#include "platform/BackupFolder.h"
#include "workflows/RunRecordJson.h"

namespace {

// The lines of `text`, a carriage return before a line end dropped.
std::vector<std::string_view> LinesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool Blank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

KeptRuns ParseRunHistory(std::string_view text) {
  KeptRuns history;
  for (std::string_view line : LinesOf(text)) {
    if (Blank(line)) {
      continue;
    }
    RunRecord record;
    if (ParseRunRecordLine(line, &record)) {
      history.records.push_back(std::move(record));
    } else {
      ++history.damaged;
    }
  }
  return history;
}

std::string AppendedHistoryText(std::string_view existing, const RunRecord& record) {
  std::deque<std::string_view> kept;
  for (std::string_view line : LinesOf(existing)) {
    if (Blank(line)) {
      continue;
    }
    kept.push_back(line);
    if (kept.size() > kKeptRuns - 1) {
      kept.pop_front();
    }
  }
  std::string text;
  for (std::string_view line : kept) {
    text.append(line);
    text += '\n';
  }
  return text + RunRecordLine(record) + "\n";
}

bool AppendRunRecord(BackupFolder* folder, const RunRecord& record) {
  // Two sequences may end at once (the window's Initialize waits for the boot loader while an
  // Update runs): each read, add and write goes whole, so no record is lost.
  static std::mutex appending;
  std::lock_guard<std::mutex> lock(appending);
  if (folder == nullptr) {
    return false;
  }
  std::vector<std::string> names;
  std::string existing;
  if (!folder->List(&names)) {
    return false;
  }
  for (const std::string& name : names) {
    // An unreadable history is not replaced: what it holds may still be read by hand.
    if (name == kHistoryFileName &&
        !folder->ReadUpTo(kHistoryFileName, &existing, kLargestHistoryBytes)) {
      return false;
    }
  }
  return folder->Write(kHistoryFileName, AppendedHistoryText(existing, record));
}

bool ReadRunHistory(BackupFolder* folder, KeptRuns* history) {
  *history = KeptRuns{};
  std::vector<std::string> names;
  if (folder == nullptr || !folder->List(&names)) {
    return false;
  }
  for (const std::string& name : names) {
    if (name == kHistoryFileName) {
      std::string text;
      if (!folder->ReadUpTo(kHistoryFileName, &text, kLargestHistoryBytes)) {
        return false;
      }
      *history = ParseRunHistory(text);
    }
  }
  return true;
}
