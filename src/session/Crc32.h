#pragma once
#include <cstddef>
#include <cstdint>

// CRC-32 (IEEE 802.3, reflected, as zlib computes it); `crc` continues an earlier result.
uint32_t Crc32(const void* data, size_t size, uint32_t crc = 0);
