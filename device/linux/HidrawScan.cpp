// Lists hidraw nodes from sysfs: /sys/class/hidraw/hidrawN/device is the node's HID device,
// whose uevent carries HID_ID=<bus>:<vendor>:<product> and whose report_descriptor is the
// descriptor as the device gave it.
#include "device/linux/HidrawScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kClassDir = "/sys/class/hidraw";
// The kernel bounds a report descriptor to this size (HID_MAX_DESCRIPTOR_SIZE).
constexpr size_t kMaxDescriptorSize = 4096;

std::atomic<FILE*> scanLog{nullptr};

// Reads at most `limit` bytes of a small file; sysfs attributes come whole in one read.
bool ReadSmallFile(const std::string& path, size_t limit, std::string* out) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  std::string data(limit, '\0');
  size_t filled = 0;
  while (filled < limit) {
    ssize_t n = read(fd, data.data() + filled, limit - filled);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      break;
    }
    filled += static_cast<size_t>(n);
  }
  close(fd);
  data.resize(filled);
  *out = std::move(data);
  return filled > 0;
}

// HID_ID=0003:00001C4F:00000002 -> vendor 0x1C4F, product 0x0002.
bool ParseHidId(const std::string& uevent, uint16_t* vendorId, uint16_t* productId) {
  const std::string text = "\n" + uevent;  // so the first line is found like the others
  const size_t at = text.find("\nHID_ID=");
  if (at == std::string::npos) {
    return false;
  }
  unsigned bus = 0, vendor = 0, product = 0;
  if (std::sscanf(text.c_str() + at + 1, "HID_ID=%x:%x:%x", &bus, &vendor, &product) != 3) {
    return false;
  }
  *vendorId = static_cast<uint16_t>(vendor);
  *productId = static_cast<uint16_t>(product);
  return true;
}

// "241:2\n" -> makedev(241, 2).
bool ParseDeviceNumbers(const std::string& text, dev_t* numbers) {
  unsigned major = 0, minor = 0;
  char end = '\0';
  if (std::sscanf(text.c_str(), "%u:%u%c", &major, &minor, &end) < 2 ||
      (end != '\0' && end != '\n')) {
    return false;
  }
  *numbers = makedev(major, minor);
  return true;
}

bool NodeNumber(const char* name, unsigned* number) {
  if (std::strncmp(name, "hidraw", 6) != 0 || name[6] < '0' || name[6] > '9') {
    return false;
  }
  char* end = nullptr;
  unsigned long value = std::strtoul(name + 6, &end, 10);
  *number = static_cast<unsigned>(value);
  return *end == '\0';
}

bool DescribeNode(unsigned number, HidrawNode* node) {
  const std::string deviceDir =
      std::string(kClassDir) + "/hidraw" + std::to_string(number) + "/device/";
  std::string uevent;
  if (!ReadSmallFile(deviceDir + "uevent", 4096, &uevent) ||
      !ParseHidId(uevent, &node->vendorId, &node->productId)) {
    return false;
  }
  node->number = number;
  node->devicePath = "/dev/hidraw" + std::to_string(number);
  std::string numbers;
  node->numbersKnown =
      ReadSmallFile(std::string(kClassDir) + "/hidraw" + std::to_string(number) + "/dev", 32,
                    &numbers) &&
      ParseDeviceNumbers(numbers, &node->numbers);
  std::string descriptor;
  node->lengthsKnown =
      ReadSmallFile(deviceDir + "report_descriptor", kMaxDescriptorSize, &descriptor) &&
      ParseReportLengths(reinterpret_cast<const uint8_t*>(descriptor.data()), descriptor.size(),
                         &node->lengths);
  return true;
}

}  // namespace

bool HasReportLength(const HidrawNode& node, uint16_t length) {
  return node.lengthsKnown && !node.lengths.numberedReports && node.lengths.input == length &&
         node.lengths.output == length;
}

void SetHidrawScanLog(FILE* stream) {
  scanLog = stream;
}

FILE* HidrawScanLog() {
  return scanLog.load();
}

std::vector<HidrawNode> ListHidrawNodes() {
  std::vector<unsigned> numbers;
  if (DIR* dir = opendir(kClassDir)) {
    while (dirent* entry = readdir(dir)) {
      unsigned number = 0;
      if (NodeNumber(entry->d_name, &number)) {
        numbers.push_back(number);
      }
    }
    closedir(dir);
  }
  std::sort(numbers.begin(), numbers.end());
  std::vector<HidrawNode> nodes;
  for (unsigned number : numbers) {
    HidrawNode node;
    if (!DescribeNode(number, &node)) {
      continue;  // gone meanwhile, or not a HID device we can read
    }
    if (FILE* log = scanLog.load()) {
      std::fprintf(log, "Vid: %x Pid: %x %s\n", node.vendorId, node.productId,
                   node.devicePath.c_str());
    }
    nodes.push_back(std::move(node));
  }
  return nodes;
}
