// A plain ZIP writer for the product archive: local headers with sizes and CRC up front (flags 0,
// no data descriptors), one central directory, one end record, no ZIP64, no comment.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace productzip {

struct ZipWriterEntry {
  std::string name;              // stored name bytes
  std::string unicodeName;       // UTF-8 name for an Info-ZIP Unicode Path field (0x7075), or empty
  bool stored;                   // method 0; otherwise deflate (method 8)
  uint16_t versionMadeBy;        // low byte the version, high byte the host (0, FAT)
  uint16_t versionNeeded;        // 10 stored files, 20 otherwise
  uint32_t externalAttributes;   // as stored
  uint16_t dosTime, dosDate;     // local time of the last change
  uint64_t writeTime;            // NTFS field times (UTC file times)
  uint64_t accessTime;
  uint64_t creationTime;
};

class ZipWriter {
 public:
  explicit ZipWriter(FILE* out) : out_(out) {}

  bool Add(const ZipWriterEntry& entry, const std::string& data);
  bool Finish();
  uint64_t CompressedTotal() const { return compressedTotal_; }

 private:
  struct CentralRecord {
    ZipWriterEntry entry;       // header fields as given
    uint16_t method;            // 0 or 8
    uint32_t crc;               // CRC-32 of the data
    uint32_t compressedSize;    // bytes after the local header
    uint32_t size;              // unpacked bytes
    uint32_t localOffset;       // where the local header starts
    std::string extra;          // extra fields, the same in both headers
  };

  // The fields the local header and the central record share, from "version needed" to the
  // extra field's length.
  static void PutSharedFields(std::string& out, const ZipWriterEntry& entry, const CentralRecord& record);
  bool Write(const std::string& bytes);

  FILE* out_;                          // the archive being written
  uint64_t offset_ = 0;                // bytes written so far
  uint64_t compressedTotal_ = 0;       // sum of the packed entry sizes
  std::vector<CentralRecord> records_; // one per entry, in order
};

}  // namespace productzip
