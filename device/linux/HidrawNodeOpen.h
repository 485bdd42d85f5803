// Opens the device node of a hidraw interface by the device numbers that sysfs gives for it,
// not by its name alone: input daemons hide a controller by moving its node out of /dev into
// a folder of their own, or put something else in its place.
#pragma once

#include <string>

#include "device/linux/HidrawScan.h"

// How the node was reached.
enum class HidrawRoute {
  kByName,     // /dev/hidrawN, the character device with the numbers sysfs gives
  kByNumbers,  // another node under /dev with those numbers
  kPrivate,    // none under /dev: a node of root's own, made for the open and removed after it
};

struct HidrawNodeOpen {
  int fd = -1;       // open read-write, non-blocking, close-on-exec; -1 with errno set
  std::string path;  // the node opened (a private node is gone once open)
  HidrawRoute route = HidrawRoute::kByName;
};

// Opens `node`: /dev/hidrawN when it is the character device with the node's numbers, else
// the first such device found under /dev (links are not followed), else, for root only, a
// node made with mknod (mode 0600) in root's /run/padwright, opened and removed at once. The
// device opened is checked to carry the numbers. A node whose numbers sysfs does not give is
// opened by name, as it always was. A route other than by name is written once per path to
// the scans' log (--verbose).
HidrawNodeOpen OpenHidrawNode(const HidrawNode& node);
// The route's words for the user, its paths escaped for the terminal: "/dev/hidraw2",
// "/dev/hhd/hidraw2 (found by its device numbers 241:2; /dev/hidraw2 is not it)", "a private node
// for 241:2 (... )".
std::string DescribeHidrawRoute(const HidrawNode& node, const HidrawNodeOpen& opened);
