// CRC-32 (the polynomial of zlib, PNG and Ethernet): a checksum that catches
// torn and damaged bytes in files this program appends to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace notarra {

// The checksum of the bytes; crc continues a checksum over earlier bytes.
uint32_t Crc32(const void* data, std::size_t size, uint32_t crc = 0);
inline uint32_t Crc32(std::string_view bytes, uint32_t crc = 0) { return Crc32(bytes.data(), bytes.size(), crc); }

}  // namespace notarra
