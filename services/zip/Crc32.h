// The CRC-32 of ZIP entries (the one zlib and gzip use), computed the fastest way this processor
// offers: libdeflate's carry-less multiply where the processor has PCLMULQDQ, zlib's tables
// otherwise, which are twice as fast as libdeflate's own fallback.
#pragma once
#include <cstddef>
#include <cstdint>

namespace ziplib {

// Continues `crc` (0 to start) over `size` bytes.
uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size);

// True when Crc32 runs on carry-less multiplication.
bool Crc32UsesPclmul();

}  // namespace ziplib
