#include "services/zip/Crc32.h"

#include <cpuid.h>
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>

namespace ziplib {
namespace {

// CPUID leaf 1, ECX bit 1: the test libdeflate itself makes before it picks its PCLMUL version.
bool ProcessorHasPclmul() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  return (ecx & bit_PCLMUL) != 0;
}

uint32_t ZlibCrc32(uint32_t crc, const uint8_t* data, size_t size) {
  // zlib takes its length as a 32-bit count.
  while (size > 0) {
    const uInt piece = static_cast<uInt>(std::min<size_t>(size, 1u << 30));
    crc = static_cast<uint32_t>(crc32(crc, data, piece));
    data += piece;
    size -= piece;
  }
  return crc;
}

uint32_t LibdeflateCrc32(uint32_t crc, const uint8_t* data, size_t size) { return libdeflate_crc32(crc, data, size); }

using CrcFunction = uint32_t (*)(uint32_t, const uint8_t*, size_t);

// Chosen once; the choice depends only on the processor, so threads that race here agree.
CrcFunction Chosen() {
  static const CrcFunction chosen = ProcessorHasPclmul() ? LibdeflateCrc32 : ZlibCrc32;
  return chosen;
}

}  // namespace

uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size) { return Chosen()(crc, data, size); }

bool Crc32UsesPclmul() { return Chosen() == LibdeflateCrc32; }

}  // namespace ziplib
