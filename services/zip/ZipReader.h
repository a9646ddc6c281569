// A small archive reader over minizip's unzip interface: open an archive by file name, describe
// entry i, extract entry i to a named file, close. Entries are addressed by their position in
// the central directory, from 0.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <unzip.h>

#include "services/zip/EntryInflater.h"
#include "services/zip/EntryPrefetcher.h"
#include "services/zip/ZipFileSource.h"

namespace ziplib {

// Result codes of the reader; 0 is success.
enum ZipResult : uint32_t {
  kZipOk = 0x00000000,
  kZipCannotOpen = 0x00000200,       // the archive, or an entry's output file, cannot be opened or created
  kZipCannotExtract = 0x00000400,    // an entry cannot be inflated or written, fails its CRC or size, or
                                     // has a UTF-8 name the ANSI code page cannot hold
  kZipHeaderMismatch = 0x00000700,   // a local header disagrees with its central record (or either is unreadable)
  kZipBadExtraField = 0x00000800,    // an entry's extra field cannot be read
  kZipBadArgument = 0x00010000,      // index below -1 or not below the entry count, no output name
  kZipNotOpen = 0x00080000,          // the reader has no archive open
  kZipAlreadyOpen = 0x01000000,      // the reader already has an archive open
};

struct ZipEntryInfo {
  int32_t index;              // position in the central directory, from 0 (entry count for index -1)
  char name[260];             // stored name (a UTF-8 one in the ANSI code page), cut to 259 bytes
  uint32_t attributes;        // Windows file attributes derived from the external attributes
  FILETIME accessTime;        // last access
  FILETIME creationTime;      // creation
  FILETIME writeTime;         // last write
  uint32_t compressedSize;    // from the central directory
  uint32_t uncompressedSize;  // from the central directory
};

// How the reader gets at the archive's bytes: mapped when it lies on a fixed disk (what Unpack
// uses), or always read, as an archive on a removable or network drive is.
enum class ArchiveAccess { kMapWhenLocal, kRead };

class ZipReader {
 public:
  explicit ZipReader(ArchiveAccess access = ArchiveAccess::kMapWhenLocal);
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  uint32_t Open(const char* fileName);
  // Index -1 gives the entry count in info->index and an otherwise empty record.
  uint32_t GetEntry(int32_t index, ZipEntryInfo* info);
  uint32_t ExtractEntry(int32_t index, const char* targetFile);
  uint32_t Close();

 private:
  // What extraction needs of an entry beyond its ZipEntryInfo.
  struct EntryRecord {
    uint32_t method;              // 0 stored, 8 deflated
    uint32_t flags;               // general-purpose bit flags
    uint64_t compressedSize;      // the stored data's byte count
    uint64_t uncompressedSize;    // the byte count the entry must produce
    uint32_t crc;                 // CRC-32 of the inflated bytes
    uint64_t dataStart;           // archive offset of the stored data
    bool isFile;                  // not a folder entry
    bool known;                   // the entry has been read
  };

  void CloseOpenEntry();
  uint32_t MoveTo(int32_t index);
  uint32_t ReadEntry(int32_t index);
  uint32_t ReadLocalHeader(const std::string& centralName, std::vector<uint8_t>* extra, uint64_t* dataStart);
  uint32_t ReadOpenLocalHeader(const std::string& centralName, std::vector<uint8_t>* extra, uint64_t* dataStart);
  uint32_t CreateEntryFolder(const char* entryName);
  void CreateTargetFolders(const std::string& target);
  bool InflatesIntoMapping(const std::string& target) const;
  bool CopyEntryData(int32_t index, HANDLE output, bool mappable);
  bool CopyStored(uint64_t dataStart, const EntryCheck& check, HANDLE output);
  bool CopyDeflated(uint64_t dataStart, const EntryCheck& check, HANDLE output, bool mappable);
  const uint8_t* PackedBytes(uint64_t dataStart, uint64_t size);
  bool TakePrefetched(int32_t index, uint64_t dataStart, const uint8_t** data, uint32_t* size);
  void StartPrefetcher(int32_t index);
  static PrefetchEntry PrefetchEntryOf(int32_t index, const EntryRecord& record, uint64_t dataStart);
  bool OpenEntryData(uint64_t* dataStart);

  ZipFileSource source_;                   // the archive file behind minizip
  unzFile archive_ = nullptr;              // minizip's handle, or null when closed
  int32_t entryCount_ = 0;                 // entries in the central directory
  int32_t position_ = -1;                  // minizip's current entry, -1 when unknown
  bool entryOpen_ = false;                 // minizip has the current entry open for reading
  int32_t cachedIndex_ = -1;               // index of cached_, -1 when empty
  ZipEntryInfo cached_ = {};               // the last entry described
  EntryRecord cachedRecord_ = {};          // extraction details of cached_
  std::vector<EntryRecord> records_;       // extraction details of every entry read so far
  std::string baseFolder_;                 // current folder at open, with a trailing "\"
  std::unique_ptr<uint8_t[]> buffer_;      // pieces of the entries that are streamed, not held
  EntryInflater inflater_;                 // this thread's decoder
  GrowingBuffer inflated_;                 // a whole inflated entry, checked before its one write
  GrowingBuffer packed_;                   // a whole compressed entry, when the archive is not mapped
  std::unique_ptr<EntryPrefetcher> prefetcher_;  // inflates entries ahead while this thread writes
  bool prefetchTried_ = false;             // the prefetcher was made, or could not be, for this archive
};

// The attributes a file entry is created with, derived from its external attributes and name.
uint32_t AttributesFromExternal(uint32_t external, const char* name);

// Replaces the times that the first extended-timestamp ("UT") block of an extra field carries.
void ApplyExtendedTimestamp(const uint8_t* extra, size_t size, ZipEntryInfo* info);

}  // namespace ziplib
