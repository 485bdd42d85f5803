// Lists of texts, as the recording window gives its calls: the last few, several joined,
// and the calls with which every update sequence frees the window at its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using Lines = std::vector<std::wstring>;

// The last `n` lines (all of them when there are fewer).
inline Lines Tail(const Lines& lines, size_t n) {
  return n > lines.size() ? lines
                          : Lines(lines.end() - static_cast<std::ptrdiff_t>(n), lines.end());
}

inline Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

// After its outcome box: the box hook ends, the window is idle, Select, Refresh and the
// pressed button `start` come back and a refresh is posted.
inline Lines FreedWindowCalls(uint16_t start) {
  return {L"hook off", L"idle", L"enable 1352", L"enable 1356", L"enable " + std::to_wstring(start),
          L"refresh"};
}
