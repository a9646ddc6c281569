#include "PayloadInfo.h"
#include <fstream>
#include <vector>

namespace imagetool {
namespace {

uint32_t Le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

bool ReadPayloadInfo(const std::string& path, PayloadInfo& info, std::string& error) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return error = "cannot read the payload " + path, false;
  info.size = static_cast<uint64_t>(in.tellg());
  // The end record lies in the last 22 bytes plus at most a 65,535-byte comment.
  uint64_t tailSize = info.size < 65557 ? info.size : 65557;
  std::vector<unsigned char> tail(tailSize);
  in.seekg(static_cast<std::streamoff>(info.size - tailSize));
  in.read(reinterpret_cast<char*>(tail.data()), static_cast<std::streamsize>(tailSize));
  long end = -1;
  for (long i = static_cast<long>(tailSize) - 22; i >= 0; --i)
    if (Le32(&tail[static_cast<size_t>(i)]) == 0x06054b50) { end = i; break; }
  if (end < 0) return error = "the payload " + path + " is not a ZIP archive (no end record)", false;
  const unsigned char* record = &tail[static_cast<size_t>(end)];
  uint32_t directorySize = Le32(record + 12), directoryOffset = Le32(record + 16);
  info.entries = Le16(record + 10);
  if (static_cast<uint64_t>(directoryOffset) + directorySize > info.size)
    return error = "the payload's central directory lies outside the file", false;
  std::vector<unsigned char> directory(directorySize);
  in.seekg(directoryOffset);
  in.read(reinterpret_cast<char*>(directory.data()), directorySize);
  size_t at = 0;
  for (uint32_t i = 0; i < info.entries; ++i) {
    if (at + 46 > directory.size() || Le32(&directory[at]) != 0x02014b50)
      return error = "the payload's central directory is damaged at entry " + std::to_string(i), false;
    info.unpackedSize += Le32(&directory[at + 24]);
    at += 46 + Le16(&directory[at + 28]) + Le16(&directory[at + 30]) + Le16(&directory[at + 32]);
  }
  return true;
}

}  // namespace imagetool
