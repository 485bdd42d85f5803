// Times of day as text (see TimeText.h).
#include "platform/TimeText.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

using Days = std::chrono::duration<int64_t, std::ratio<86400>>;

bool ReadDigits(std::string_view text, size_t at, size_t count, int* value) {
  if (at + count > text.size()) {
    return false;
  }
  *value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return false;
    }
    *value = *value * 10 + (text[i] - '0');
  }
  return true;
}

}  // namespace

std::string UtcStamp(int64_t utcMs) {
  const std::chrono::sys_time<std::chrono::milliseconds> time{std::chrono::milliseconds(utcMs)};
  const auto day = std::chrono::floor<Days>(time);
  const std::chrono::year_month_day date{std::chrono::sys_days(day)};
  const int64_t msOfDay = (time - day).count();
  char text[40];
  std::snprintf(text, sizeof(text), "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ",
                static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()), static_cast<int>(msOfDay / 3600000),
                static_cast<int>(msOfDay / 60000 % 60), static_cast<int>(msOfDay / 1000 % 60),
                static_cast<int>(msOfDay % 1000));
  return text;
}

bool ParseUtcStamp(std::string_view text, int64_t* utcMs) {
  int year, month, day, hour, minute, second, ms;
  if (text.size() != 24 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || text[19] != '.' || text[23] != 'Z' || !ReadDigits(text, 0, 4, &year) ||
      !ReadDigits(text, 5, 2, &month) || !ReadDigits(text, 8, 2, &day) ||
      !ReadDigits(text, 11, 2, &hour) || !ReadDigits(text, 14, 2, &minute) ||
      !ReadDigits(text, 17, 2, &second) || !ReadDigits(text, 20, 3, &ms) || hour > 23 ||
      minute > 59 || second > 59) {
    return false;
  }
  const std::chrono::year_month_day date{std::chrono::year(year),
                                         std::chrono::month(static_cast<unsigned>(month)),
                                         std::chrono::day(static_cast<unsigned>(day))};
  if (!date.ok()) {
    return false;
  }
  const int64_t days = std::chrono::sys_days(date).time_since_epoch().count();
  *utcMs = ((days * 24 + hour) * 60 + minute) * 60000 + second * 1000 + ms;
  return true;
}

std::wstring LocalMinuteText(int64_t utcMs) {
  const std::time_t seconds = static_cast<std::time_t>(utcMs / 1000);
  std::tm local{};
#ifdef _WIN32
  const bool converted = localtime_s(&local, &seconds) == 0;
#else
  const bool converted = localtime_r(&seconds, &local) != nullptr;
#endif
  if (!converted) {
    return L"????-??-?? ??:??";
  }
  wchar_t text[32];
  std::swprintf(text, sizeof(text) / sizeof(text[0]), L"%04d-%02d-%02d %02d:%02d",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
  return text;
}
