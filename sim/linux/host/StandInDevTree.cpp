// The folder's /dev tree and held-node records (see StandInDevTree.h).
#include "sim/linux/host/StandInDevTree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>

#include "sim/linux/StandInLayout.h"

namespace {

// Written whole under a temporary name and renamed into place: a reader sees all or nothing.
// Readable to all: a run of another user than the host's reads its own nodes and records.
bool WriteText(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".new";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    return false;
  }
  const bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(fd);
  return ok && rename(temporary.c_str(), path.c_str()) == 0;
}

// Makes the folders above `path` (a file's path in the folder), from `base` down.
void MakeParents(const std::string& base, const std::string& path) {
  for (size_t slash = path.find('/', base.size() + 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0755);
  }
}

}  // namespace

dev_t StandInNodeNumbers(uint32_t number) {
  return makedev(standin::kHidrawMajor, number);
}

std::string StandInNodeNumbersText(uint32_t number) {
  return std::to_string(standin::kHidrawMajor) + ":" + std::to_string(number) + "\n";
}

void StandInDevTree::SetRoot(const std::string& root) {
  root_ = root;
  written_.clear();
  if (!root_.empty()) {
    mkdir((root_ + standin::kDevFolder).c_str(), 0755);
    mkdir((root_ + standin::kHeldFolder).c_str(), 0755);
  }
}

void StandInDevTree::Move(uint32_t number, const std::string& devPath) {
  std::lock_guard<std::mutex> lock(mutex_);
  moved_[number] = devPath;
}

std::string StandInDevTree::PathOf(uint32_t number) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto moved = moved_.find(number);
  const std::string devPath =
      moved != moved_.end() ? moved->second : standin::kHidrawPrefix + std::to_string(number);
  return devPath.empty() ? std::string() : root_ + devPath;
}

void StandInDevTree::Sync(const std::vector<uint32_t>& present) {
  std::map<uint32_t, std::string> wanted;
  for (uint32_t number : present) {
    const std::string path = PathOf(number);
    if (!path.empty()) {
      wanted[number] = path;
    }
  }
  for (const auto& [number, path] : written_) {
    const auto still = wanted.find(number);
    if (still == wanted.end() || still->second != path) {
      unlink(path.c_str());
    }
  }
  for (const auto& [number, path] : wanted) {
    const auto was = written_.find(number);
    if (was == written_.end() || was->second != path) {
      MakeParents(root_, path);
      WriteText(path, standin::kCharNodeMarker + StandInNodeNumbersText(number));
    }
  }
  written_ = std::move(wanted);
}

void StandInDevTree::Hold(uint64_t inode, uint32_t number) {
  if (inode != 0) {
    WriteText(root_ + standin::kHeldFolder + "/" + std::to_string(inode),
              StandInNodeNumbersText(number));
  }
}

void StandInDevTree::Release(uint64_t inode) {
  if (inode != 0) {
    unlink((root_ + standin::kHeldFolder + "/" + std::to_string(inode)).c_str());
  }
}
