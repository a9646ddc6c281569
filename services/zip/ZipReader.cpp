#include "services/zip/ZipReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "services/zip/Crc32.h"
#include "services/zip/EnsurePath.h"
#include "services/zip/EntryName.h"
#include "services/zip/GbkPath.h"

namespace ziplib {
namespace {

constexpr uint32_t kBufferSize = 65536;                  // streamed entries: stored pieces, or zlib's input and output halves
// Larger entries are inflated into a mapping of their file, or streamed, never held in memory.
constexpr uint64_t kLargestHeldEntry = EntryPrefetcher::kMaxEntrySize;
constexpr uint16_t kExtendedTimestampId = 0x5455;        // "UT"
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;
constexpr uint32_t kFlagEncrypted = 0x0001;

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Read32(const uint8_t* p) { return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<uint32_t>(p[3]) << 24; }

FILETIME FromUnixSeconds(uint32_t seconds) {
  const uint64_t ticks = static_cast<uint64_t>(seconds) * 10000000ull + kUnixEpochAsFileTime;
  return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// The DOS date and time as they stand: no time-zone shift.
FILETIME FromDosDateTime(uint32_t dosDateTime) {
  FILETIME time = {};
  DosDateTimeToFileTime(HIWORD(dosDateTime), LOWORD(dosDateTime), &time);
  return time;
}

// The times of one "UT" block: a flags byte, then the write, access and creation times whose
// flag bits 0, 1 and 2 are set, in that order. A time that does not fit in the block is not read.
void ReadTimestampBlock(const uint8_t* data, size_t length, ZipEntryInfo* info) {
  if (length < 1) return;
  const uint8_t flags = data[0];
  FILETIME* const targets[] = {&info->writeTime, &info->accessTime, &info->creationTime};
  size_t at = 1;
  for (int bit = 0; bit < 3; ++bit) {
    if (!(flags & (1 << bit))) continue;
    if (at + 4 > length) return;
    *targets[bit] = FromUnixSeconds(Read32(data + at));
    at += 4;
  }
}

std::string CurrentFolderWithSeparator() {
  char folder[MAX_PATH + 1] = {};
  const DWORD length = GetCurrentDirectoryA(sizeof(folder), folder);
  std::string base(folder, length < sizeof(folder) ? length : 0);
  if (!gbk::EndsWithBackslash(base)) base += '\\';
  return base;
}

}  // namespace

uint32_t AttributesFromExternal(uint32_t external, const char* name) {
  const size_t nameLength = std::strlen(name);
  const bool unixDirectory = external & 0x40000000u;
  const bool dosDirectory = external & FILE_ATTRIBUTE_DIRECTORY;
  // Some writers (the jar tool among them) mark folder entries only by the trailing "/".
  const bool slashDirectory = nameLength > 0 && name[nameLength - 1] == '/';
  uint32_t attributes = FILE_ATTRIBUTE_NORMAL;
  if (unixDirectory || dosDirectory || slashDirectory) attributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_NORMAL;
  attributes |= external & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  const bool ownerMayWrite = external & 0x00800000u;
  if (!ownerMayWrite || (external & FILE_ATTRIBUTE_READONLY)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

void ApplyExtendedTimestamp(const uint8_t* extra, size_t size, ZipEntryInfo* info) {
  size_t at = 0;
  while (size >= at + 5) {
    const uint16_t id = Read16(extra + at);
    const size_t length = Read16(extra + at + 2);
    if (id == kExtendedTimestampId) {
      ReadTimestampBlock(extra + at + 4, std::min(length, size - at - 4), info);
      return;
    }
    at += 4 + length;
  }
}

ZipReader::ZipReader(ArchiveAccess access)
    : source_(access == ArchiveAccess::kMapWhenLocal), buffer_(new uint8_t[kBufferSize]) {}

ZipReader::~ZipReader() { Close(); }

uint32_t ZipReader::Open(const char* fileName) {
  if (archive_) return kZipAlreadyOpen;
  if (!fileName) return kZipBadArgument;
  zlib_filefunc64_def functions;
  source_.Fill(&functions);
  archive_ = unzOpen2_64(fileName, &functions);
  if (!archive_) {
    source_.Close();
    return kZipCannotOpen;  // no such file, no read access, or no central directory
  }
  unz_global_info64 global;
  if (unzGetGlobalInfo64(archive_, &global) != UNZ_OK || global.number_entry > 0x7fffffff) {
    Close();
    return kZipCannotOpen;
  }
  entryCount_ = static_cast<int32_t>(global.number_entry);
  position_ = -1;
  cachedIndex_ = -1;
  records_.clear();
  prefetchTried_ = false;
  baseFolder_ = CurrentFolderWithSeparator();
  return kZipOk;
}

uint32_t ZipReader::Close() {
  if (!archive_) return kZipNotOpen;
  prefetcher_.reset();
  CloseOpenEntry();
  unzClose(archive_);
  archive_ = nullptr;
  source_.Close();
  inflated_.Release();
  packed_.Release();
  entryCount_ = 0;
  position_ = -1;
  cachedIndex_ = -1;
  return kZipOk;
}

void ZipReader::CloseOpenEntry() {
  if (!entryOpen_) return;
  unzCloseCurrentFile(archive_);
  entryOpen_ = false;
}

uint32_t ZipReader::GetEntry(int32_t index, ZipEntryInfo* info) {
  if (!archive_) return kZipNotOpen;
  CloseOpenEntry();
  if (!info || index < -1 || index >= entryCount_) return kZipBadArgument;
  if (index == -1) {
    *info = {};
    info->index = entryCount_;
    return kZipOk;
  }
  if (index != cachedIndex_) {
    const uint32_t moved = MoveTo(index);
    if (moved != kZipOk) return moved;
    const uint32_t read = ReadEntry(index);
    if (read != kZipOk) return read;
  }
  *info = cached_;
  return kZipOk;
}

// minizip walks forwards only: back to the first entry when the index lies behind us. The
// cached record describes minizip's current entry, which moving leaves, whether or not it
// reaches the new one.
uint32_t ZipReader::MoveTo(int32_t index) {
  cachedIndex_ = -1;
  if (position_ < 0 || index < position_) {
    position_ = -1;
    if (unzGoToFirstFile(archive_) != UNZ_OK) return kZipHeaderMismatch;
    position_ = 0;
  }
  while (position_ < index) {
    if (unzGoToNextFile(archive_) != UNZ_OK) {
      position_ = -1;
      return kZipHeaderMismatch;
    }
    ++position_;
  }
  return kZipOk;
}

// Reads the central record of the current entry, checks its local header against it and reads
// the local extra field for the times.
uint32_t ZipReader::ReadEntry(int32_t index) {
  cachedIndex_ = -1;
  unz_file_info64 record;
  if (unzGetCurrentFileInfo64(archive_, &record, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return kZipHeaderMismatch;
  std::string name(record.size_filename, '\0');
  if (unzGetCurrentFileInfo64(archive_, nullptr, name.data(), record.size_filename, nullptr, 0, nullptr, 0) != UNZ_OK) {
    return kZipHeaderMismatch;
  }

  std::vector<uint8_t> extra;
  uint64_t dataStart = 0;
  const uint32_t local = ReadLocalHeader(name, &extra, &dataStart);
  if (local != kZipOk) return local;

  std::string unpackName;
  if (!EntryNameInCodePage(name, static_cast<uint32_t>(record.flag), &unpackName)) return kZipCannotExtract;

  ZipEntryInfo& info = cached_;
  info = {};
  info.index = index;
  const size_t kept = std::min<size_t>(unpackName.size(), sizeof(info.name) - 1);
  std::memcpy(info.name, unpackName.data(), kept);
  info.name[kept] = '\0';
  info.attributes = AttributesFromExternal(static_cast<uint32_t>(record.external_fa), info.name);
  info.writeTime = info.accessTime = info.creationTime = FromDosDateTime(static_cast<uint32_t>(record.dosDate));
  ApplyExtendedTimestamp(extra.data(), extra.size(), &info);
  info.compressedSize = static_cast<uint32_t>(record.compressed_size);
  info.uncompressedSize = static_cast<uint32_t>(record.uncompressed_size);
  cachedRecord_ = {static_cast<uint32_t>(record.compression_method), static_cast<uint32_t>(record.flag),
                   record.compressed_size, record.uncompressed_size, static_cast<uint32_t>(record.crc), dataStart,
                   !(info.attributes & FILE_ATTRIBUTE_DIRECTORY), true};
  cachedIndex_ = index;
  // Only entries that exist can be read (minizip walks to each), so the table never outgrows the archive.
  if (records_.size() <= static_cast<size_t>(index)) records_.resize(static_cast<size_t>(index) + 1);
  records_[static_cast<size_t>(index)] = cachedRecord_;
  return kZipOk;
}

// Opening the entry makes minizip compare the local header's method, CRC, sizes and name length
// with the central record; the name itself must match too, since that is what gets extracted.
// The local extra field is read while the entry is open.
uint32_t ZipReader::ReadLocalHeader(const std::string& centralName, std::vector<uint8_t>* extra, uint64_t* dataStart) {
  if (unzOpenCurrentFile(archive_) != UNZ_OK) return kZipHeaderMismatch;
  entryOpen_ = true;
  const uint32_t result = ReadOpenLocalHeader(centralName, extra, dataStart);
  CloseOpenEntry();
  return result;
}

uint32_t ZipReader::ReadOpenLocalHeader(const std::string& centralName, std::vector<uint8_t>* extra,
                                        uint64_t* dataStart) {
  const int extraSize = unzGetLocalExtrafield(archive_, nullptr, 0);
  if (extraSize < 0) return kZipBadExtraField;
  *dataStart = unzGetCurrentFileZStreamPos64(archive_);
  const uint64_t nameAndExtra = centralName.size() + static_cast<uint64_t>(extraSize);
  if (*dataStart < nameAndExtra) return kZipHeaderMismatch;
  std::string localName(centralName.size(), '\0');
  if (!source_.ReadAt(*dataStart - nameAndExtra, localName.data(), static_cast<uint32_t>(localName.size())) ||
      localName != centralName) {
    return kZipHeaderMismatch;
  }
  extra->resize(static_cast<size_t>(extraSize));
  if (extraSize > 0 && unzGetLocalExtrafield(archive_, extra->data(), static_cast<unsigned>(extraSize)) != extraSize) {
    return kZipBadExtraField;
  }
  return kZipOk;
}

namespace {

// The file an entry was written to, when it is not to stay (beside the one it was to replace,
// or a new one that could not be emptied); it may carry the entry's read-only attribute.
void DiscardBeside(rt::UniqueHandle& output, const std::string& written) {
  output.Close();
  SetFileAttributesA(written.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(written.c_str());
}

}  // namespace

uint32_t ZipReader::ExtractEntry(int32_t index, const char* targetFile) {
  if (!archive_) return kZipNotOpen;
  CloseOpenEntry();
  if (!targetFile || index < 0 || index >= entryCount_) return kZipBadArgument;
  ZipEntryInfo info;
  const uint32_t found = GetEntry(index, &info);
  if (found != kZipOk) return found;
  if (info.attributes & FILE_ATTRIBUTE_DIRECTORY) return CreateEntryFolder(info.name);

  const std::string target(targetFile);
  if (target.size() >= MAX_PATH) return kZipCannotOpen;
  CreateTargetFolders(target);
  // A file already there is replaced only by an entry that has come out whole: the entry is
  // written beside it and moved over it at the end, so a damaged entry never empties it.
  const bool roomBeside = target.size() <= kLongestEntryPath;
  std::string written = target;
  if (roomBeside && GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES) written += kBesideSuffix;
  const bool beside = written.size() != target.size();
  const bool mappable = InflatesIntoMapping(target);
  const DWORD access = mappable ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE;
  rt::UniqueHandle output(rt::CreateReplacingFile(written.c_str(), info.attributes, access));
  if (!output.Valid()) return kZipCannotOpen;
  if (!CopyEntryData(index, output.Get(), mappable)) {
    // Nothing of an entry that failed stays in its file, neither the bytes before the damage
    // nor any a decoder made up past it; a new file that cannot be emptied goes altogether.
    const bool emptied = SetFilePointer(output.Get(), 0, nullptr, FILE_BEGIN) == 0 && SetEndOfFile(output.Get());
    if (beside || !emptied) DiscardBeside(output, written);
    return kZipCannotExtract;
  }
  if (GetFileType(output.Get()) == FILE_TYPE_DISK) {
    SetFileTime(output.Get(), &info.creationTime, &info.accessTime, &info.writeTime);
  }
  if (!beside) return kZipOk;
  const bool closed = output.Close();
  if (closed && MoveFileExA(written.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return kZipOk;
  DiscardBeside(output, written);
  return kZipCannotOpen;
}

// A deflated entry too large to hold in memory is inflated straight into its file, mapped, when
// both the archive (mapped too) and the file lie on fixed disks.
bool ZipReader::InflatesIntoMapping(const std::string& target) const {
  const EntryRecord& record = cachedRecord_;
  if (record.method != Z_DEFLATED || record.uncompressedSize <= kLargestHeldEntry) return false;
  return source_.View(0, source_.Size()) && IsOnFixedDisk(target.c_str());
}

// A folder entry becomes base folder + its name, with every missing folder along it.
uint32_t ZipReader::CreateEntryFolder(const char* entryName) {
  const std::string relative = gbk::SlashesToBackslashes(entryName);
  if (!IsContainedEntryName(relative)) return kZipCannotOpen;
  return EnsurePath(baseFolder_ + relative, true) ? kZipOk : kZipCannotOpen;
}

// A relative target gets its folders under the base folder; absolute ones are the caller's.
void ZipReader::CreateTargetFolders(const std::string& target) {
  const size_t separator = gbk::LastSeparator(target);
  if (separator == std::string::npos || separator == 0) return;
  const std::string folder = target.substr(0, separator);
  if (folder[0] == '/' || folder[0] == '\\') return;
  if (folder.size() > 1 && folder[1] == ':') return;
  if (folder.find("../") != std::string::npos || folder.find("..\\") != std::string::npos) return;
  EnsurePath(baseFolder_ + gbk::SlashesToBackslashes(folder), true);
}

// Opening the entry raw makes minizip check its local header against the central record and
// tells where the stored data starts; the data itself is read straight from the file.
bool ZipReader::OpenEntryData(uint64_t* dataStart) {
  int method = 0;
  int level = 0;
  if (unzOpenCurrentFile2(archive_, &method, &level, 1) != UNZ_OK) return false;
  *dataStart = unzGetCurrentFileZStreamPos64(archive_);
  unzCloseCurrentFile(archive_);
  return true;
}

// The entry must produce exactly its recorded size and its CRC must match: a damaged entry is an
// error, never a file reported good. Entries held in memory go out in one write once they have
// passed; a streamed entry is checked at its end, and ExtractEntry empties the file of one that
// fails. An entry the helper has inflated and checked already goes out at once.
bool ZipReader::CopyEntryData(int32_t index, HANDLE output, bool mappable) {
  const EntryRecord& record = cachedRecord_;
  if (record.flags & kFlagEncrypted) return false;  // no decryption here
  if (record.method != 0 && record.method != Z_DEFLATED) return false;
  uint64_t dataStart = 0;
  if (!OpenEntryData(&dataStart)) return false;
  if (dataStart > source_.Size() || record.compressedSize > source_.Size() - dataStart) return false;  // cut short
  const uint8_t* inflated = nullptr;
  uint32_t inflatedSize = 0;
  if (TakePrefetched(index, dataStart, &inflated, &inflatedSize)) return WriteAll(output, inflated, inflatedSize);
  const EntryCheck check = {record.uncompressedSize, record.crc};
  if (record.method == Z_DEFLATED && record.compressedSize > 0) return CopyDeflated(dataStart, check, output, mappable);
  // Stored data, and the empty deflated entry some writers record with no data at all.
  return CopyStored(dataStart, check, output);
}

bool ZipReader::CopyStored(uint64_t dataStart, const EntryCheck& check, HANDLE output) {
  if (cachedRecord_.compressedSize != check.size) return false;
  if (const uint8_t* bytes = source_.View(dataStart, check.size)) {
    return Crc32(0, bytes, static_cast<size_t>(check.size)) == check.crc && WriteAll(output, bytes, check.size);
  }
  uint32_t crc = 0;
  for (uint64_t done = 0; done < check.size;) {
    const uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(kBufferSize, check.size - done));
    if (!source_.ReadAt(dataStart + done, buffer_.get(), piece)) return false;
    crc = Crc32(crc, buffer_.get(), piece);
    if (!WriteAll(output, buffer_.get(), piece)) return false;
    done += piece;
  }
  return crc == check.crc;
}

// An entry that fits in memory is inflated whole by libdeflate, and so is a larger one into its
// mapped file; any other, or one whose memory or mapping cannot be had, streams through zlib.
bool ZipReader::CopyDeflated(uint64_t dataStart, const EntryCheck& check, HANDLE output, bool mappable) {
  const uint64_t packedSize = cachedRecord_.compressedSize;
  if (mappable) {
    const uint8_t* const packed = source_.View(dataStart, packedSize);
    const FileInflate inflated =
        packed ? InflateIntoFile(inflater_, packed, static_cast<size_t>(packedSize), check, output) : FileInflate::kNoMapping;
    if (inflated != FileInflate::kNoMapping) return inflated == FileInflate::kDone;
  }
  uint8_t* const out = check.size <= kLargestHeldEntry ? inflated_.Room(check.size) : nullptr;
  const uint8_t* const packed = out ? PackedBytes(dataStart, packedSize) : nullptr;
  if (!packed) return InflateStreamToFile(source_, dataStart, packedSize, check, buffer_.get(), kBufferSize, output);
  const size_t size = static_cast<size_t>(check.size);
  return inflater_.Inflate(packed, static_cast<size_t>(packedSize), out, size) && Crc32(0, out, size) == check.crc &&
         WriteAll(output, out, size);
}

// The compressed bytes in memory: in the archive's mapping, or read into a buffer; null when
// they are too many to hold or cannot be read.
const uint8_t* ZipReader::PackedBytes(uint64_t dataStart, uint64_t size) {
  if (const uint8_t* mapped = source_.View(dataStart, size)) return mapped;
  if (size > kLargestHeldEntry) return nullptr;
  uint8_t* const bytes = packed_.Room(size);
  if (!bytes || !source_.ReadAt(dataStart, bytes, static_cast<uint32_t>(size))) return nullptr;
  return bytes;
}

PrefetchEntry ZipReader::PrefetchEntryOf(int32_t index, const EntryRecord& record, uint64_t dataStart) {
  return {index, dataStart, record.compressedSize, record.uncompressedSize, record.crc};
}

// The helper's result for the current entry, when it has one that is complete and checked.
bool ZipReader::TakePrefetched(int32_t index, uint64_t dataStart, const uint8_t** data, uint32_t* size) {
  if (!prefetchTried_) StartPrefetcher(index);
  if (!prefetcher_) return false;
  const EntryRecord& record = cachedRecord_;
  return prefetcher_->Take(PrefetchEntryOf(index, record, dataStart), data, size);
}

// Once per archive, at the first extraction: the helper gets every deflated file entry read so
// far (the count before an unpack reads them all). It reads the archive's mapping: an archive
// that is not mapped is inflated on this thread alone.
void ZipReader::StartPrefetcher(int32_t index) {
  prefetchTried_ = true;
  const uint8_t* const archive = source_.View(0, source_.Size());
  if (!archive) return;
  std::vector<PrefetchEntry> plan;
  for (size_t i = 0; i < records_.size(); ++i) {
    const EntryRecord& record = records_[i];
    if (!record.known || !record.isFile || record.method != Z_DEFLATED || (record.flags & kFlagEncrypted)) continue;
    if (record.compressedSize == 0) continue;
    plan.push_back(PrefetchEntryOf(static_cast<int32_t>(i), record, record.dataStart));
  }
  if (plan.size() > 1) {
    prefetcher_ = std::make_unique<EntryPrefetcher>(archive, source_.Size(), std::move(plan), index);
  }
}

}  // namespace ziplib
