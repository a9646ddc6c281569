// The fields of ZIP records: little-endian integers appended to a record, and the CRC-32 that
// headers carry. Host-neutral (no Win32), so that productzip on the build machine and the ZIP
// tests under Wine build their archives byte for byte the same way.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <string>

namespace zipfields {

inline void Put16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xff);
  out += static_cast<char>((value >> 8) & 0xff);
}

inline void Put32(std::string& out, uint32_t value) {
  Put16(out, value & 0xffff);
  Put16(out, value >> 16);
}

inline void Put64(std::string& out, uint64_t value) {
  Put32(out, static_cast<uint32_t>(value));
  Put32(out, static_cast<uint32_t>(value >> 32));
}

inline uint32_t Crc32(const std::string& data) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

}  // namespace zipfields
