// The walk over the kernel's hidraw nodes that opening and presence tests share: each node
// of /sys/class/hidraw with the vendor and product id of its HID device and the report
// lengths its report descriptor declares.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "device/linux/ReportDescriptor.h"

struct HidrawNode {
  unsigned number = 0;
  std::string devicePath;  // /dev/hidrawN
  // The node's device numbers as sysfs gives them (its "dev" file, MAJ:MIN), by which the
  // node is found when /dev/hidrawN is not it.
  bool numbersKnown = false;
  dev_t numbers = 0;
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  bool lengthsKnown = false;  // the report descriptor could be read and parsed
  ReportLengths lengths;
};

// Every node whose HID ids could be read, in node-number order (the kernel's order of
// arrival, not readdir's). Writes the debug line "Vid: %x Pid: %x <path>" for each to the
// stream set below, if any.
std::vector<HidrawNode> ListHidrawNodes();

// Whether the node's report descriptor declares reports of `length` bytes (id byte included)
// both ways and no report ids.
bool HasReportLength(const HidrawNode& node, uint16_t length);

// Where the scans write their debug lines; nullptr (the default) for nowhere.
void SetHidrawScanLog(FILE* stream);
FILE* HidrawScanLog();
