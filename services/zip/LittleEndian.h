// The ZIP format's little-endian fields, read from bytes.
#pragma once
#include <cstdint>

namespace ziplib {

inline uint16_t Read16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }
inline uint32_t Read32(const uint8_t* at) { return Read16(at) | static_cast<uint32_t>(Read16(at + 2)) << 16; }

}  // namespace ziplib
