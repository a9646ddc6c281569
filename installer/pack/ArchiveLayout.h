// The layout of a product archive as a vendor hands it in: its end record, its central
// directory and each entry's local header, read from the file without unpacking anything.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "installer/pack/Refusal.h"

namespace pack {

struct ArchiveEntry {
  uint32_t index = 0;              // position in the central directory, from 0
  uint16_t versionMadeBy = 0;      // the writer's host (high byte) and version
  uint16_t versionNeeded = 0;      // version needed to extract
  uint16_t flags = 0;              // general-purpose bit flags
  uint16_t method = 0;             // compression method
  uint32_t crc = 0;                // CRC-32 of the unpacked bytes
  uint32_t compressedSize = 0;     // stored bytes
  uint32_t uncompressedSize = 0;   // unpacked bytes
  uint32_t external = 0;           // external attributes
  uint32_t localOffset = 0;        // archive offset of the local header
  std::string storedName;          // the name's bytes as stored
  std::vector<uint8_t> extra;      // the central extra field
};

struct ArchiveLayout {
  uint64_t fileSize = 0;               // bytes in the archive file
  uint32_t directoryAt = 0;            // offset of the central directory
  uint32_t directorySize = 0;          // its bytes; the end record follows at once
  std::vector<ArchiveEntry> entries;   // in central-directory order
};

inline Refusal EntryRefusal(const ArchiveEntry& entry, std::string reason) {
  return {entry.index, entry.storedName, entry.flags, std::move(reason)};
}

// The largest archive the installer carries. The installer is a 32-bit program: its image, the
// archive inside it, is mapped in one piece into a 2 GiB address space that the system's own
// libraries, the stacks and the heaps share, so half of it is the most that is sure to fit.
constexpr uint64_t kLargestArchive = 1ull << 30;

// Reads the layout; every fault that keeps the archive from being read is a refusal (an empty
// list means the layout could be read whole).
std::vector<Refusal> ReadArchiveLayout(const std::string& file, ArchiveLayout* layout);

}  // namespace pack
