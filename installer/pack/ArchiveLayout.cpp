#include "installer/pack/ArchiveLayout.h"

#include <windows.h>

#include <algorithm>

#include "runtime/Win32Handle.h"
#include "services/zip/EndRecord.h"
#include "services/zip/LittleEndian.h"

namespace pack {
namespace {

constexpr uint32_t kLocalSignature = 0x04034B50, kCentralSignature = 0x02014B50;
constexpr uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr size_t kEndSize = ziplib::kEndRecordSize, kCentralSize = 46, kLocalSize = 30, kZip64LocatorSize = 20;
constexpr uint16_t kZip64ExtraId = 0x0001, kFlagDataDescriptor = 0x0008;

using ziplib::Read16;
using ziplib::Read32;

class ArchiveFile {
 public:
  explicit ArchiveFile(const std::string& name)
      : file_(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                          nullptr)) {}

  bool Open() const { return file_.Valid(); }

  uint64_t Size() const {
    LARGE_INTEGER size = {};
    return GetFileSizeEx(file_.Get(), &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
  }

  bool ReadAt(uint64_t offset, void* buffer, size_t size) const {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file_.Get(), at, nullptr, FILE_BEGIN)) return false;
    DWORD got = 0;
    return ReadFile(file_.Get(), buffer, static_cast<DWORD>(size), &got, nullptr) && got == size;
  }

 private:
  rt::UniqueHandle file_;
};

const char kRepack[] = " Zip the product again with a standard tool (Info-ZIP zip -r, 7-Zip, bsdtar).";

// Whether an extra field holds a ZIP64 block.
bool HasZip64Block(const std::vector<uint8_t>& extra) {
  for (size_t at = 0; at + 4 <= extra.size(); at += 4 + Read16(&extra[at + 2])) {
    if (Read16(&extra[at]) == kZip64ExtraId) return true;
  }
  return false;
}

// The end record by the rule every reader of the archive applies: its offset, or -1.
int64_t FindEndRecord(const ArchiveFile& file, uint64_t size, std::vector<uint8_t>* record) {
  const size_t tailSize = static_cast<size_t>(std::min<uint64_t>(size, ziplib::kEndRecordSearch));
  std::vector<uint8_t> tail(tailSize);
  if (tailSize < kEndSize || !file.ReadAt(size - tailSize, tail.data(), tailSize)) return -1;
  const int64_t at = ziplib::FindEndRecord(tail.data(), tailSize);
  if (at < 0) return -1;
  record->assign(tail.begin() + at, tail.begin() + at + static_cast<int64_t>(kEndSize));
  return static_cast<int64_t>(size - tailSize) + at;
}

// Refusals of the end record; empty when it describes one central directory that ends where
// the end record begins.
std::vector<Refusal> CheckEndRecord(const ArchiveFile& file, uint64_t endAt, const std::vector<uint8_t>& end,
                                    uint32_t* directoryAt, uint32_t* directorySize, uint32_t* count) {
  const uint8_t* record = end.data();
  *count = Read16(record + 10);
  *directorySize = Read32(record + 12);
  *directoryAt = Read32(record + 16);
  uint8_t locator[kZip64LocatorSize];
  const bool zip64 = (endAt >= kZip64LocatorSize && file.ReadAt(endAt - kZip64LocatorSize, locator, sizeof locator) &&
                      Read32(locator) == kZip64LocatorSignature) ||
                     *count == 0xFFFF || *directorySize == 0xFFFFFFFF || *directoryAt == 0xFFFFFFFF;
  if (zip64) {
    return {ArchiveRefusal("the archive is a ZIP64 archive. The installer reads classic ZIP archives only (below 4 GiB "
                           "and 65,535 entries); zip it without ZIP64 (Info-ZIP zip does unless the archive is too "
                           "large; in Python leave allowZip64 off or force_zip64 unset).")};
  }
  if (Read16(record + 4) != 0 || Read16(record + 6) != 0 || Read16(record + 8) != *count) {
    return {ArchiveRefusal("the archive is split over several parts (disks). Make it one single file.")};
  }
  if (static_cast<uint64_t>(*directoryAt) + *directorySize != endAt) {
    return {ArchiveRefusal("the central directory does not end where the end record begins: the archive has bytes in "
                           "front of it (a self-extractor stub?) or is damaged." + std::string(kRepack))};
  }
  return {};
}

// Reads one central record at `at`, advancing it; false when the record does not fit.
bool ReadCentralRecord(const std::vector<uint8_t>& directory, size_t* at, uint32_t index, ArchiveEntry* entry) {
  if (directory.size() - *at < kCentralSize || Read32(&directory[*at]) != kCentralSignature) return false;
  const uint8_t* record = &directory[*at];
  const size_t nameLength = Read16(record + 28), extraLength = Read16(record + 30), commentLength = Read16(record + 32);
  const size_t size = kCentralSize + nameLength + extraLength + commentLength;
  if (directory.size() - *at < size) return false;
  entry->index = index;
  entry->versionMadeBy = Read16(record + 4);
  entry->versionNeeded = Read16(record + 6);
  entry->flags = Read16(record + 8);
  entry->method = Read16(record + 10);
  entry->crc = Read32(record + 16);
  entry->compressedSize = Read32(record + 20);
  entry->uncompressedSize = Read32(record + 24);
  entry->external = Read32(record + 38);
  entry->localOffset = Read32(record + 42);
  entry->storedName.assign(reinterpret_cast<const char*>(record + kCentralSize), nameLength);
  entry->extra.assign(record + kCentralSize + nameLength, record + kCentralSize + nameLength + extraLength);
  *at += size;
  return true;
}

// The entry's local header must be where the directory says, with the same name, and its data
// must lie before the central directory.
std::vector<Refusal> CheckLocalHeader(const ArchiveFile& file, const ArchiveEntry& entry, uint32_t directoryAt) {
  uint8_t header[kLocalSize];
  if (static_cast<uint64_t>(entry.localOffset) + kLocalSize > directoryAt || !file.ReadAt(entry.localOffset, header, kLocalSize) ||
      Read32(header) != kLocalSignature) {
    return {EntryRefusal(entry, "its local header is missing or damaged." + std::string(kRepack))};
  }
  const size_t nameLength = Read16(header + 26), extraLength = Read16(header + 28);
  // The unpack compares these too, and fails at the entry; a data descriptor (flag bit 3) leaves
  // the local CRC and sizes to it.
  const bool describedAfter = Read16(header + 6) & kFlagDataDescriptor;
  if (Read16(header + 8) != entry.method ||
      (!describedAfter && (Read32(header + 14) != entry.crc || Read32(header + 18) != entry.compressedSize ||
                           Read32(header + 22) != entry.uncompressedSize))) {
    return {EntryRefusal(entry, "its local header gives another method, CRC-32 or size than the central directory: "
                                "the archive is damaged." + std::string(kRepack))};
  }
  std::string localName(nameLength, '\0');
  if (nameLength != entry.storedName.size() || !file.ReadAt(entry.localOffset + kLocalSize, localName.data(), nameLength) ||
      localName != entry.storedName) {
    return {EntryRefusal(entry, "its local header names another file than the central directory does." + std::string(kRepack))};
  }
  const uint64_t dataEnd = static_cast<uint64_t>(entry.localOffset) + kLocalSize + nameLength + extraLength + entry.compressedSize;
  if (dataEnd > directoryAt) return {EntryRefusal(entry, "its data runs into the central directory: the archive is cut or damaged." + std::string(kRepack))};
  std::vector<uint8_t> localExtra(extraLength);
  if (extraLength > 0 && !file.ReadAt(entry.localOffset + kLocalSize + nameLength, localExtra.data(), extraLength)) {
    return {EntryRefusal(entry, "its local extra field cannot be read." + std::string(kRepack))};
  }
  if (HasZip64Block(localExtra)) {
    return {EntryRefusal(entry, "its local header carries ZIP64 sizes, which the installer does not read. Zip it without "
                                "ZIP64 (Python: force_zip64 off; Info-ZIP zip: not to a pipe).")};
  }
  return {};
}

}  // namespace

std::vector<Refusal> ReadArchiveLayout(const std::string& name, ArchiveLayout* layout) {
  ArchiveFile file(name);
  if (!file.Open()) return {ArchiveRefusal("the archive cannot be opened for reading.")};
  const uint64_t size = layout->fileSize = file.Size();
  if (size > kLargestArchive) {
    return {ArchiveRefusal("the archive is " + std::to_string(size) + " bytes; the installer carries at most " +
                           std::to_string(kLargestArchive) + " bytes (1 GiB), since it maps its whole image, the "
                           "archive with it, into the 2 GiB address space of a 32-bit program. Leave large optional "
                           "content out and let the product fetch it.")};
  }
  uint8_t head[4] = {};
  if (size < kEndSize || !file.ReadAt(0, head, sizeof head)) {
    return {ArchiveRefusal("the file is not a ZIP archive (it is too short).")};
  }
  std::vector<uint8_t> end;
  const int64_t endAt = FindEndRecord(file, size, &end);
  if (endAt < 0) {
    return {ArchiveRefusal("the file is not a ZIP archive, or it is cut short: it has no end-of-central-directory record "
                           "at its end (one whose comment ends the file, with no such record inside the comment)." +
                           std::string(kRepack))};
  }
  if (Read32(head) != kLocalSignature) {
    return {ArchiveRefusal("the archive does not begin with a local file header at offset 0 (it has other data in front, "
                           "such as a self-extractor stub, or begins with an empty directory). The installer checks "
                           "the first bytes of the file." + std::string(kRepack))};
  }
  uint32_t directoryAt = 0, directorySize = 0, count = 0;
  std::vector<Refusal> refusals = CheckEndRecord(file, static_cast<uint64_t>(endAt), end, &directoryAt, &directorySize, &count);
  if (!refusals.empty()) return refusals;
  layout->directoryAt = directoryAt;
  layout->directorySize = directorySize;
  std::vector<uint8_t> directory(directorySize);
  if (directorySize > 0 && !file.ReadAt(directoryAt, directory.data(), directorySize)) {
    return {ArchiveRefusal("the central directory cannot be read." + std::string(kRepack))};
  }
  size_t at = 0;
  for (uint32_t i = 0; i < count; ++i) {
    ArchiveEntry entry;
    if (!ReadCentralRecord(directory, &at, i, &entry)) {
      return {ArchiveRefusal("the central directory is damaged at entry " + std::to_string(i) + "." + std::string(kRepack))};
    }
    if (HasZip64Block(entry.extra)) {
      refusals.push_back(EntryRefusal(entry, "it carries ZIP64 sizes, which the installer does not read. Zip it without "
                                             "ZIP64."));
    } else {
      std::vector<Refusal> local = CheckLocalHeader(file, entry, directoryAt);
      refusals.insert(refusals.end(), local.begin(), local.end());
    }
    layout->entries.push_back(std::move(entry));
  }
  if (at != directory.size()) refusals.push_back(ArchiveRefusal("the central directory holds more than its entry count says." + std::string(kRepack)));
  if (count == 0) refusals.push_back(ArchiveRefusal("the archive holds no entries."));
  return refusals;
}

}  // namespace pack
