// The power-supply class behind the power source on Linux. Plain open/read/opendir: the
// attributes are a line each, and the calls are few enough for a test stand-in to redirect.
#include "platform/linux/SysfsPowerSource.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <utility>

namespace {

// The first line of one attribute of `supply`, or an empty text when it cannot be read.
std::string ReadAttribute(const std::string& supply, const char* name) {
  const std::string path = supply + "/" + name;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return {};
  }
  char buffer[128];
  ssize_t n;
  do {
    n = read(fd, buffer, sizeof(buffer));
  } while (n < 0 && errno == EINTR);
  close(fd);
  if (n <= 0) {
    return {};
  }
  std::string text(buffer, static_cast<size_t>(n));
  return text.substr(0, text.find('\n'));
}

std::optional<long long> ReadNumber(const std::string& supply, const char* name) {
  const std::string text = ReadAttribute(supply, name);
  if (text.empty()) {
    return std::nullopt;
  }
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end == text.c_str() || *end != '\0') {
    return std::nullopt;
  }
  return value;
}

// The charge of one battery: its capacity in percent, else its charge or energy against what
// it holds when full (drivers give one of the three). Empty when none reads sensibly.
std::optional<int> ChargePercent(const std::string& supply) {
  const std::optional<long long> capacity = ReadNumber(supply, "capacity");
  if (capacity && *capacity >= 0 && *capacity <= 100) {
    return static_cast<int>(*capacity);
  }
  const std::pair<const char*, const char*> pairs[] = {{"charge_now", "charge_full"},
                                                       {"energy_now", "energy_full"}};
  for (const auto& [nowName, fullName] : pairs) {
    const std::optional<long long> now = ReadNumber(supply, nowName);
    const std::optional<long long> full = ReadNumber(supply, fullName);
    if (now && full && *now >= 0 && *full > 0) {
      // In double: the counts are in µAh or µWh, and a broken gauge may give anything.
      const double percent = static_cast<double>(*now) * 100.0 / static_cast<double>(*full);
      return percent >= 100.0 ? 100 : static_cast<int>(percent);
    }
  }
  return std::nullopt;
}

}  // namespace

SysfsPowerSource::SysfsPowerSource(std::string folder) : folder_(std::move(folder)) {}

bool SysfsPowerSource::Read(PowerState* state) {
  DIR* dir = opendir(folder_.c_str());
  if (dir == nullptr) {
    return false;
  }
  PowerState found;
  int percentSum = 0;
  int readings = 0;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') {
      continue;
    }
    const std::string supply = folder_ + "/" + entry->d_name;
    const std::string type = ReadAttribute(supply, "type");
    if (type == "Mains" || type.rfind("USB", 0) == 0) {
      found.externalPower = found.externalPower || ReadAttribute(supply, "online") == "1";
      continue;
    }
    // A wireless mouse's or gamepad's battery is listed too; only the machine's counts.
    if (type != "Battery" || ReadAttribute(supply, "present") != "1" ||
        ReadAttribute(supply, "scope") == "Device") {
      continue;
    }
    found.batteryPresent = true;
    const std::string status = ReadAttribute(supply, "status");
    found.charging = found.charging || status == "Charging" || status == "Full";
    if (const std::optional<int> percent = ChargePercent(supply)) {
      percentSum += *percent;
      ++readings;
    }
  }
  closedir(dir);
  // Two batteries are drained one after the other: what lasts is their joint charge.
  if (readings > 0) {
    found.chargePercent = percentSum / readings;
  }
  *state = found;
  return true;
}
