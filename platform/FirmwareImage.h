// A whole firmware file in memory; its content is sent unchanged and never parsed.
#pragma once

#include <vector>

using FirmwareImage = std::vector<unsigned char>;
