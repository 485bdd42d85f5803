// The watchdog and the interleaving check of the race tests (see RaceChecks.h).
#include "tests/unit/concurrency/RaceChecks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>

Watchdog::Watchdog(std::string what, int seconds) {
  thread_ = std::thread([this, what = std::move(what), seconds] {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!done_.wait_for(lock, std::chrono::seconds(seconds), [this] { return finished_; })) {
      std::fprintf(stderr, "%s: not done after %d s, the threads are locked up\n", what.c_str(),
                   seconds);
      std::abort();
    }
  });
}

Watchdog::~Watchdog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
  }
  done_.notify_all();
  thread_.join();
}

void ExpectNoInterleaving(const std::vector<TranscriptEntry>& transcript) {
  std::set<uint32_t> finished;
  for (size_t i = 0; i < transcript.size(); ++i) {
    const TranscriptEntry& entry = transcript[i];
    if (i > 0 && transcript[i - 1].connection != entry.connection) {
      ASSERT_EQ(finished.count(entry.connection), 0u)
          << "connection " << entry.connection << " resumed at entry " << i;
      finished.insert(transcript[i - 1].connection);
    }
    ASSERT_EQ(entry.direction == Direction::HostToDevice, i % 2 == 0)
        << "entry " << i << " breaks the request/reply pairs";
  }
}
