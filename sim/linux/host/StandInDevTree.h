// The folder's /dev tree that the stand-in host keeps (see sim/linux/StandInLayout.h): one
// node file for each present hidraw node, at /dev/hidrawN unless a test has moved it
// elsewhere under /dev or taken it away, as input daemons do with a controller's node; and
// the records of the nodes held open, by the inode of each program's end.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// The numbers of hidraw node `number`, as sysfs's "dev" file and the node file give them.
dev_t StandInNodeNumbers(uint32_t number);
// "<major>:<minor>\n" for node `number`: the text of its sysfs "dev" file.
std::string StandInNodeNumbersText(uint32_t number);

class StandInDevTree {
 public:
  // The folder (the stand-in's root) whose /dev and held/ this keeps.
  void SetRoot(const std::string& root);
  // Node `number` lives at `devPath` (an absolute /dev/... path) from the next Sync on; an
  // empty path keeps it out of /dev altogether. Any thread.
  void Move(uint32_t number, const std::string& devPath);
  // Makes the tree show exactly the node files of `present`. Serving thread only.
  void Sync(const std::vector<uint32_t>& present);
  // Records that the connection whose program end has `inode` holds node `number`, or that
  // it no longer does.
  void Hold(uint64_t inode, uint32_t number);
  void Release(uint64_t inode);

 private:
  std::string PathOf(uint32_t number);

  std::string root_;
  std::mutex mutex_;
  std::map<uint32_t, std::string> moved_;    // guarded by mutex_
  std::map<uint32_t, std::string> written_;  // node -> folder path of its file; Sync only
};
