// Lists of texts, as the recording view gives its calls: the last few, and several joined.
#pragma once

#include <cstddef>
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
