// Report lengths from a HID report descriptor, counted as Windows states them in a device's
// capabilities: the longest report of a direction in bytes, plus one for the report id.
#pragma once

#include <cstddef>
#include <cstdint>

struct ReportLengths {
  uint16_t input = 0;            // 0: the descriptor declares no input report
  uint16_t output = 0;           // 0: no output report
  bool numberedReports = false;  // the descriptor gives its reports ids other than 0
};

// False for a descriptor that ends inside an item or declares a report longer than 65534 bytes.
bool ParseReportLengths(const uint8_t* descriptor, size_t size, ReportLengths* lengths);
