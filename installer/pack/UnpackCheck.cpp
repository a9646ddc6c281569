#include "installer/pack/UnpackCheck.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <set>
#include <zlib.h>

#include "installer/PayloadListing.h"
#include "installer/product/GbkPath.h"
#include "runtime/Win32Handle.h"
#include "services/zip/ZipReader.h"
#include "services/zip/ZipUnpacker.h"

namespace pack {
namespace {

// The last entry the unpack reported as handled (the walk runs on this one thread).
int32_t lastHandled = -1;

void NoteProgress(int32_t current, int32_t total, const char*, ziplib::ZipUnpacker*) {
  if (current < total) lastHandled = current;
}

// A new folder of our own at the root of the temporary folder's drive, its target no longer
// than the installer's default folder (C:\Veltaro\会计从业资格, 23 bytes): a name that fits
// below that folder fits here. What the unpack put into it is taken out item by item
// (RemoveUnpacked); the folder itself goes at the end, and only when empty.
class ScratchFolder {
 public:
  ScratchFolder() {
    char temp[MAX_PATH] = {};
    if (GetTempPathA(sizeof temp, temp) < 3 || temp[1] != ':') return;
    for (unsigned attempt = 0; attempt < 16 && path_.empty(); ++attempt) {
      char name[16];
      wsprintfA(name, "veltaro-%04x", (GetTickCount() + GetCurrentProcessId() * 16 + attempt) & 0xFFFF);
      const std::string candidate = std::string(temp, 3) + name;
      if (CreateDirectoryA(candidate.c_str(), nullptr)) path_ = candidate;  // never one that was there
    }
  }
  ~ScratchFolder() {
    if (path_.empty()) return;
    RemoveDirectoryA((path_ + "\\" + kTarget).c_str());
    RemoveDirectoryA(path_.c_str());
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string Target() const { return path_ + "\\" + kTarget; }

 private:
  static constexpr char kTarget[] = "product";
  std::string path_;
};

// The files the archive holds, then every folder level it made, deepest first; a folder that
// still holds anything stays.
void RemoveUnpacked(const std::string& target, const std::vector<PlannedItem>& items) {
  std::set<std::string> folders;
  for (const PlannedItem& item : items) {
    const std::string path = target + "\\" + item.path;
    if (!item.isFolder) {
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
    std::string level = item.isFolder ? item.path : product::path::Folder(item.path);
    for (; !level.empty(); level = product::path::Folder(level)) folders.insert(level);
  }
  std::vector<std::string> deepestFirst(folders.begin(), folders.end());
  std::sort(deepestFirst.begin(), deepestFirst.end(), [](const std::string& a, const std::string& b) {
    return a.size() > b.size();  // a folder's path is longer than its parent's
  });
  for (const std::string& folder : deepestFirst) RemoveDirectoryA((target + "\\" + folder).c_str());
}

// Why the reader fails at one entry, for telling the vendor.
std::string ReaderFault(const std::string& archive, int32_t index, const std::string& scratch) {
  ziplib::ZipReader reader;
  if (reader.Open(archive.c_str()) != ziplib::kZipOk) return "the archive's directory cannot be read.";
  ziplib::ZipEntryInfo info;
  uint32_t result = reader.GetEntry(index, &info);
  if (result == ziplib::kZipOk && !(info.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    const std::string probe = scratch + "\\probe.bin";
    result = reader.ExtractEntry(index, probe.c_str());
    DeleteFileA(probe.c_str());
  }
  switch (result) {
    case ziplib::kZipHeaderMismatch: return "its local header does not agree with the central directory: the archive is damaged.";
    case ziplib::kZipBadExtraField: return "its extra field cannot be read: the archive is damaged.";
    case ziplib::kZipCannotExtract: return "its data does not unpack to its recorded size and CRC-32: the entry is damaged.";
    case ziplib::kZipCannotOpen: return "its file cannot be created where the installer puts it.";
    case ziplib::kZipOk: return "the installer's unpack stops at it.";
    default: return "the installer's unpack fails at it (reader result " + std::to_string(result) + ").";
  }
}

bool SameAsRecorded(const std::string& file, const PlannedItem& item) {
  rt::UniqueHandle handle(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!handle.Valid()) return false;
  constexpr DWORD kPiece = 1 << 20;
  std::unique_ptr<Bytef[]> buffer(new Bytef[kPiece]);
  uLong crc = crc32(0, nullptr, 0);
  uint64_t size = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(handle.Get(), buffer.get(), kPiece, &got, nullptr)) return false;
    if (got == 0) break;
    crc = crc32(crc, buffer.get(), got);
    size += got;
  }
  return size == item.size && crc == item.crc;
}

// The installer lists the archive in its image before it writes anything; that listing must
// take the archive too. It reads only the central directory and the end record, so it is given
// those two, the directory moved to offset 0: a whole archive of a gigabyte need not fit into
// this process's address space in one piece.
bool InstallerListsArchive(const std::string& archive, const ArchiveLayout& layout) {
  constexpr size_t kEndSize = 22;
  rt::UniqueHandle file(CreateFileA(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  std::vector<unsigned char> moved(layout.directorySize + kEndSize);
  LARGE_INTEGER at;
  at.QuadPart = layout.directoryAt;
  DWORD got = 0;
  if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) ||
      !ReadFile(file.Get(), moved.data(), static_cast<DWORD>(moved.size()), &got, nullptr) || got != moved.size()) {
    return false;
  }
  unsigned char* end = moved.data() + layout.directorySize;
  std::fill(end + 16, end + 22, 0);  // the directory's offset, and no comment
  std::vector<product::InstalledItem> items;
  return installer::ListPayload(moved.data(), moved.size(), items);
}

const ArchiveEntry& EntryAt(const ArchiveLayout& layout, uint32_t index) { return layout.entries[index]; }

// The first entry the reader cannot describe (the unpack counts them all before it writes),
// else the entry after the last one the unpack reported: the one it stopped at.
int32_t FailedEntry(const std::string& archive) {
  ziplib::ZipReader reader;
  if (reader.Open(archive.c_str()) != ziplib::kZipOk) return lastHandled + 1;
  for (int32_t i = 0; i <= lastHandled + 1; ++i) {
    ziplib::ZipEntryInfo info;
    if (reader.GetEntry(i, &info) != ziplib::kZipOk) return i;
  }
  return lastHandled + 1;
}

std::vector<Refusal> FaultAtFailedEntry(const std::string& archive, const ArchiveLayout& layout, const std::string& scratch) {
  const int32_t failed = FailedEntry(archive);
  if (failed >= static_cast<int32_t>(layout.entries.size())) return {ArchiveRefusal("the installer's unpack fails on this archive.")};
  return {EntryRefusal(EntryAt(layout, static_cast<uint32_t>(failed)), ReaderFault(archive, failed, scratch))};
}

// Every file read back from where the unpack put it, against the central record.
std::vector<Refusal> CompareUnpacked(const std::string& target, const ArchiveLayout& layout,
                                     const std::vector<PlannedItem>& items) {
  std::vector<Refusal> refusals;
  for (const PlannedItem& item : items) {
    const std::string path = target + "\\" + item.path;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    const bool landed = attributes != INVALID_FILE_ATTRIBUTES &&
                        (item.isFolder ? (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 : SameAsRecorded(path, item));
    if (!landed) {
      refusals.push_back(EntryRefusal(EntryAt(layout, item.index), "what the installer unpacks for it differs from "
                                                                   "the archive's record of its size and CRC-32."));
    }
  }
  return refusals;
}

}  // namespace

std::vector<Refusal> UnpackAndCompare(const std::string& archive, const ArchiveLayout& layout,
                                      const std::vector<PlannedItem>& items) {
  if (!InstallerListsArchive(archive, layout)) {
    return {ArchiveRefusal("the installer cannot list what the archive holds before it writes anything.")};
  }
  ScratchFolder scratch;
  if (scratch.Path().empty()) return {ArchiveRefusal("no scratch folder could be made in the temporary folder to unpack the archive into.")};
  const std::string target = scratch.Target();
  ziplib::ZipUnpacker unpacker;
  unpacker.SetProgressCallback(NoteProgress);
  lastHandled = -1;
  const bool unpacked = unpacker.Run(archive.c_str(), target.c_str()) == 1;
  std::vector<Refusal> refusals = unpacked ? CompareUnpacked(target, layout, items) : FaultAtFailedEntry(archive, layout, scratch.Path());
  RemoveUnpacked(target, items);
  return refusals;
}

}  // namespace pack
