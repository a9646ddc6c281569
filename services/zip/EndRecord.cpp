#include "services/zip/EndRecord.h"

#include "services/zip/LittleEndian.h"

namespace ziplib {

int64_t FindEndRecord(const uint8_t* tail, size_t tailSize) {
  constexpr uint32_t kEndSignature = 0x06054B50;
  if (tailSize < kEndRecordSize) return -1;
  const size_t lowest = tailSize > kEndRecordSearch ? tailSize - kEndRecordSearch : 0;
  for (size_t at = tailSize - kEndRecordSize + 1; at-- > lowest;) {
    if (Read32(tail + at) != kEndSignature) continue;
    const bool commentEndsArchive = at + kEndRecordSize + Read16(tail + at + 20) == tailSize;
    return commentEndsArchive ? static_cast<int64_t>(at) : -1;
  }
  return -1;
}

}  // namespace ziplib
