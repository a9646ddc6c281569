// What the build learns about the payload archive: how much room its unpacked files take.
#pragma once
#include <cstdint>
#include <string>

namespace imagetool {

struct PayloadInfo {
  uint64_t size = 0;          // bytes of the archive
  uint64_t unpackedSize = 0;  // uncompressed sizes of all entries together
  uint32_t entries = 0;
};

// Reads the archive's end record and central directory; false (with a reason) when the file is
// not a single-disk ZIP archive.
bool ReadPayloadInfo(const std::string& path, PayloadInfo& info, std::string& error);

}  // namespace imagetool
