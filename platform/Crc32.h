// The CRC-32 of zlib and PNG (reflected polynomial 0xEDB88320), which guards the files
// that are kept on disk against tearing and damage.
#pragma once

#include <cstdint>
#include <string_view>

uint32_t Crc32(std::string_view bytes);
