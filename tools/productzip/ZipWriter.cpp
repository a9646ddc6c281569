#include "tools/productzip/ZipWriter.h"

#include <zlib.h>

#include <stdexcept>

#include "tools/productzip/ZipFields.h"

namespace productzip {
namespace {

using zipfields::Put16;
using zipfields::Put32;
using zipfields::Put64;

// NTFS times (0x000A): 4 reserved bytes, then attribute tag 1 of 24 bytes with the write,
// access and creation times.
std::string NtfsField(const ZipWriterEntry& entry) {
  std::string field;
  Put16(field, 0x000A);
  Put16(field, 32);
  Put32(field, 0);
  Put16(field, 0x0001);
  Put16(field, 24);
  Put64(field, entry.writeTime);
  Put64(field, entry.accessTime);
  Put64(field, entry.creationTime);
  return field;
}

// Info-ZIP Unicode Path (0x7075): version 1, CRC-32 of the stored name, the name in UTF-8.
std::string UnicodePathField(const ZipWriterEntry& entry) {
  std::string field;
  Put16(field, 0x7075);
  Put16(field, static_cast<uint32_t>(5 + entry.unicodeName.size()));
  field += '\x01';
  Put32(field, zipfields::Crc32(entry.name));
  field += entry.unicodeName;
  return field;
}

std::string Deflate(const std::string& data) {
  z_stream stream = {};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("deflateInit2 failed");
  }
  std::string packed(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(packed.data());
  stream.avail_out = static_cast<uInt>(packed.size());
  const int result = deflate(&stream, Z_FINISH);
  packed.resize(stream.total_out);
  deflateEnd(&stream);
  if (result != Z_STREAM_END) throw std::runtime_error("deflate did not finish");
  return packed;
}

}  // namespace

void ZipWriter::PutSharedFields(std::string& out, const ZipWriterEntry& entry, const CentralRecord& record) {
  Put16(out, entry.versionNeeded);
  Put16(out, 0);  // flags
  Put16(out, record.method);
  Put16(out, entry.dosTime);
  Put16(out, entry.dosDate);
  Put32(out, record.crc);
  Put32(out, record.compressedSize);
  Put32(out, record.size);
  Put16(out, static_cast<uint32_t>(entry.name.size()));
  Put16(out, static_cast<uint32_t>(record.extra.size()));
}

bool ZipWriter::Write(const std::string& bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size()) return false;
  offset_ += bytes.size();
  return true;
}

bool ZipWriter::Add(const ZipWriterEntry& entry, const std::string& data) {
  CentralRecord record = {};
  record.entry = entry;
  record.method = entry.stored ? 0 : Z_DEFLATED;
  record.crc = zipfields::Crc32(data);
  record.size = static_cast<uint32_t>(data.size());
  record.localOffset = static_cast<uint32_t>(offset_);
  record.extra = NtfsField(entry);
  if (!entry.unicodeName.empty()) record.extra += UnicodePathField(entry);
  const std::string packed = entry.stored ? data : Deflate(data);
  record.compressedSize = static_cast<uint32_t>(packed.size());

  std::string header;
  Put32(header, 0x04034b50);
  PutSharedFields(header, entry, record);
  header += entry.name;
  header += record.extra;
  if (!Write(header) || !Write(packed)) return false;
  if (offset_ > 0xffffffffu) throw std::runtime_error("archive would need ZIP64");
  compressedTotal_ += packed.size();
  records_.push_back(std::move(record));
  return true;
}

bool ZipWriter::Finish() {
  const uint64_t directoryStart = offset_;
  std::string directory;
  for (const CentralRecord& record : records_) {
    const ZipWriterEntry& entry = record.entry;
    Put32(directory, 0x02014b50);
    Put16(directory, entry.versionMadeBy);
    PutSharedFields(directory, entry, record);
    Put16(directory, 0);  // comment length
    Put16(directory, 0);  // disk number start
    Put16(directory, 0);  // internal attributes
    Put32(directory, entry.externalAttributes);
    Put32(directory, record.localOffset);
    directory += entry.name;
    directory += record.extra;
  }
  std::string end;
  Put32(end, 0x06054b50);
  Put16(end, 0);  // this disk
  Put16(end, 0);  // disk with the directory
  Put16(end, static_cast<uint32_t>(records_.size()));
  Put16(end, static_cast<uint32_t>(records_.size()));
  Put32(end, static_cast<uint32_t>(directory.size()));
  Put32(end, static_cast<uint32_t>(directoryStart));
  Put16(end, 0);  // comment length
  return Write(directory) && Write(end);
}

}  // namespace productzip
